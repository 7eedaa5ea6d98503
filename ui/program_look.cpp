#include "ui/program_look.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

void UseProgramLook() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QFont font(QStringLiteral("WenQuanYi Micro Hei"), 10);
  font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei UI"),
                    QStringLiteral("Microsoft YaHei")});
  QApplication::setFont(font);
}

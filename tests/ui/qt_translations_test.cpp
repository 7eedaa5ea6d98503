#include "ui/qt_translations.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QPushButton>

namespace {

// The standard buttons of the program's message boxes read Chinese.
TEST(QtTranslationsTest, StandardButtonsReadChinese) {
  ASSERT_TRUE(InstallQtChineseTranslations()) << "qt6-translations-l10n is not installed";
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Ok)->text().toStdString(), "确定");
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().toStdString(), "取消");
}

}  // namespace

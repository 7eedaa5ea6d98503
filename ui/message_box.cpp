#include "ui/message_box.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {
MessageBoxHandler handler = nullptr;
}  // namespace

void SetMessageBoxHandler(MessageBoxHandler h) { handler = h; }

bool ShowMessageBox(QWidget* owner, const QString& text, MessageKind kind, const QString& title) {
  if (handler) return handler(text, kind, title);
  QMessageBox box(owner);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // an address or path to copy
  box.setText(text);
  switch (kind) {
    case MessageKind::kError:
      box.setIcon(QMessageBox::Critical);
      box.setWindowTitle(title.isEmpty() ? QCoreApplication::translate("MessageBox", "错误")
                                         : title);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageKind::kInformation:
      box.setIcon(QMessageBox::Information);
      box.setWindowTitle(title.isEmpty() ? QCoreApplication::translate("MessageBox", "提示")
                                         : title);
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MessageKind::kConfirm:
      box.setIcon(QMessageBox::Warning);
      box.setWindowTitle(title.isEmpty() ? QCoreApplication::translate("MessageBox", "确认")
                                         : title);
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
  }
  return box.exec() == QMessageBox::Ok;
}

#include "ui/file_dialog.h"

#include <QFileDialog>

namespace {
SaveFileHandler handler = nullptr;
}  // namespace

void SetSaveFileHandler(SaveFileHandler h) { handler = h; }

QString AskSaveFileName(QWidget* owner, const QString& filter) {
  if (handler) return handler(filter);
  return QFileDialog::getSaveFileName(owner, QString(), QString(), filter);
}

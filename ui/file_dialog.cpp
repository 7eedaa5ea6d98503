#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace {
SaveFileHandler handler = nullptr;
int chosenFilter = -1;

// "CSV 文件 (*.csv)" gives ".csv".
QString ExtensionOf(const QString& filter) {
  const QRegularExpressionMatch match =
      QRegularExpression(QStringLiteral("\\*(\\.[A-Za-z0-9]+)\\)")).match(filter);
  return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace

void SetSaveFileHandler(SaveFileHandler h) { handler = h; }

namespace {
FolderHandler folderHandler = nullptr;
}  // namespace

void SetFolderHandler(FolderHandler h) { folderHandler = h; }

QString AskFolder(QWidget* owner, const QString& title, const QString& start) {
  if (folderHandler) return folderHandler(title);
  return QFileDialog::getExistingDirectory(owner, title, start);
}

void SetChosenSaveFilter(int index) { chosenFilter = index; }

QString AskSaveFileName(QWidget* owner, const QString& filter) {
  if (handler) return handler(filter);
  return QFileDialog::getSaveFileName(owner, QString(), QString(), filter);
}

QString AskSaveFileName(QWidget* owner, const QStringList& filters, const QString& proposedName,
                        int* chosen) {
  QString path, selected;
  if (handler) {
    path = handler(filters.join(QStringLiteral(";;")));
    for (const QString& filter : filters) {
      const QString extension = ExtensionOf(filter);
      if (!extension.isEmpty() && path.endsWith(extension, Qt::CaseInsensitive)) selected = filter;
    }
    if (chosenFilter >= 0 && chosenFilter < filters.size()) selected = filters[chosenFilter];
  } else {
    path = QFileDialog::getSaveFileName(owner, QString(), proposedName,
                                        filters.join(QStringLiteral(";;")), &selected);
  }
  if (chosen) *chosen = std::max(0, static_cast<int>(filters.indexOf(selected)));
  return path;
}

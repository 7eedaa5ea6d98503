// The operations log beside the database: every delete, upload, print run,
// export and settings change is appended (and on the disk) before the window
// says it is done; the about page shows the log, newest first, and a chain
// broken by hand is said once at start.
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/main_frame_wnd.h"
#include "store/operations_log.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

void MainFrameWnd::InitOperationsLog() {
  opsLog_ = std::make_unique<OperationsLog>(OperationsLog::PathFor(options_.storageFolder));
  if (auto* row = root_->findChild<QHBoxLayout*>(QStringLiteral("debugRow"))) {
    auto* show = new QPushButton(tr("操作记录"));
    show->setObjectName(QStringLiteral("BtnOperationsLog"));
    row->insertWidget(row->count() - 1, show);
    connect(show, &QPushButton::clicked, this, &MainFrameWnd::ShowOperationsLog);
  }
  const LogVerdict verdict = VerifyOperationsLog(opsLog_->Path());
  if (verdict.ok) return;
  const QString text =
      tr("操作记录 %1 第 %2 "
         "行：%3。\n这份记录在程序之外被改动过，请管理员检查；新的操作照常记在后面。")
          .arg(QString::fromStdString(opsLog_->Path()))
          .arg(verdict.line)
          .arg(ShownLibraryText(QString::fromStdString(verdict.problem)));
  QMetaObject::invokeMethod(
      this,
      [this, text] {
        if (!closing_) ShowMessageBox(this, text, MessageKind::kError);
      },
      Qt::QueuedConnection);
}

void MainFrameWnd::LogOperation(const QString& operation, const QString& details) {
  if (!opsLog_) return;
  const Status written = opsLog_->Append(FromQString(operation), FromQString(details));
  if (!written) ShowLinkNote(ShownLibraryText(ToQString(written.text)), false);
}

void MainFrameWnd::ShowOperationsLog() {
  const std::vector<LogLine> lines = ReadOperationsLog(opsLog_ ? opsLog_->Path() : std::string());
  QDialog dialog(this);
  dialog.setWindowTitle(tr("操作记录"));
  dialog.resize(760, 480);
  auto* layout = new QVBoxLayout(&dialog);
  auto* table = new QTableWidget(static_cast<int>(lines.size()), 5);
  table->setObjectName(QStringLiteral("OperationsLogTable"));
  table->setHorizontalHeaderLabels({tr("序号"), tr("时间"), tr("用户"), tr("操作"), tr("内容")});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  for (size_t i = 0; i < lines.size(); ++i) {
    const LogLine& line = lines[lines.size() - 1 - i];  // newest first
    const std::string cells[] = {line.number, line.time, line.user, line.operation, line.details};
    for (int c = 0; c < 5; ++c) {
      table->setItem(static_cast<int>(i), c,
                     new QTableWidgetItem(QString::fromStdString(cells[c])));
    }
  }
  table->resizeColumnsToContents();
  layout->addWidget(table);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  if (options_.operationsLogShown) {
    options_.operationsLogShown(*table);
    return;
  }
  dialog.exec();
}

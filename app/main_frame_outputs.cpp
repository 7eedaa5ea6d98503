// The record commands that produce something or remove records: the text
// export, label printing and deletion.
#include <QFileInfo>

#include "app/main_frame_wnd.h"
#include "output/export_text.h"
#include "store/record_store.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

void MainFrameWnd::ExportRecords() {
  const QString path = AskSaveFileName(this, QStringLiteral("文本文件(*.txt)"));
  if (path.isEmpty()) return;
  int count = 0;
  const String text = BuildExportText(
      records_,
      [this](const _NcItemData& record) {
        Json doc;
        return recordDb_.GetJson(record.key, doc);
      },
      count);
  // A file not written in full (a full disk, a removed stick) is a failure,
  // never reported as a success.
  if (!WriteExportFile(path.toStdString(), text)) {
    ShowMessageBox(this, QStringLiteral("无法保存文件"), MessageKind::kError);
    return;
  }
  ShowMessageBox(this, QStringLiteral("%1 条数据成功导出到 %2").arg(count).arg(path),
                 MessageKind::kInformation);
}

void MainFrameWnd::PrintSelectedRecords() {
  if (settings_.deviceId.IsEmpty()) {
    ShowMessageBox(
        this, QStringLiteral("请先设置设备ID，点击“设置”按钮，填写设备标签上的ID，并且点击保存。"),
        MessageKind::kError);
    return;
  }
  if (printJob_.IsRunning()) {
    ShowMessageBox(this, QStringLiteral("正在打印，请等待之前的打印完成"), MessageKind::kError);
    return;
  }
  printJob_.Start(&records_, settings_.queryUrl,
                  std::make_unique<LabelPrinter>(LabelLayout::FromSettings()));
  printTimer_.start(printIntervalMs_);
  OnPrintTimer();
}

void MainFrameWnd::OnPrintTimer() {
  if (!printJob_.IsRunning()) return;
  const PrintJob::Step step = printJob_.OnPrintTimer();
  if (step == PrintJob::Step::kPrinted) return;
  printTimer_.stop();
  if (step == PrintJob::Step::kFailed) {
    ShowMessageBox(this,
                   QStringLiteral("标签没有送到打印机 %1：%2\n已打印 %3 个标签")
                       .arg(ToQString(printJob_.Destination()), ToQString(printJob_.FailureText()))
                       .arg(printJob_.Printed()),
                   MessageKind::kError);
    return;
  }
  ShowMessageBox(this, QStringLiteral("打印完成，共打印了 %1 个标签").arg(printJob_.Printed()),
                 MessageKind::kInformation);
}

void MainFrameWnd::DeleteSelectedRecords() {
  if (!ShowMessageBox(this, QStringLiteral("删除所有选定的项？"), MessageKind::kConfirm)) return;
  const uint32_t removed = ::DeleteSelectedRecords(records_, recordDb_);
  model_->ResetAll();
  UpdateRecordCount();
  ShowMessageBox(this, QStringLiteral("已删除 %1 条数据!").arg(removed), MessageKind::kInformation);
}

// The record commands that write a file or remove records: the text export
// and deletion.
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
  const StoredKeys stored(recordDb_);
  const std::string bytes = BuildExportBytes(
      records_, [&stored](const _NcItemData& record) { return stored.Contains(record); }, count);
  // A file not written in full (a full disk, a removed stick) is a failure,
  // never reported as a success.
  if (!WriteExportFile(path.toStdString(), bytes)) {
    ShowMessageBox(this, QStringLiteral("无法保存文件"), MessageKind::kError);
    return;
  }
  ShowMessageBox(this, QStringLiteral("%1 条数据成功导出到 %2").arg(count).arg(path),
                 MessageKind::kInformation);
}

void MainFrameWnd::DeleteSelectedRecords() {
  // Ticks are stored and may lie far out of view or behind the filter: the
  // question says how many go.
  uint32_t ticked = 0, shownTicked = 0;
  std::vector<uint32_t> newIndex(records_.Count(), UINT32_MAX);
  for (uint32_t i = 0; i < records_.Count(); ++i) {
    if (records_[i].selected) {
      ++ticked;
    } else {
      newIndex[i] = i - ticked;
    }
  }
  for (uint32_t row = 0; row < view_.RowCount(records_); ++row) {
    shownTicked += records_[view_.RecordAt(row)].selected ? 1 : 0;
  }
  const QString question =
      ticked > shownTicked
          ? tr("删除 %1 条记录（其中 %2 条不在当前列表中）？").arg(ticked).arg(ticked - shownTicked)
          : tr("删除 %1 条记录？").arg(ticked);
  if (!ShowMessageBox(this, question, MessageKind::kConfirm)) return;
  uint32_t removed = 0;
  const DbStatus deleted = ::DeleteSelectedRecords(records_, recordDb_, removed);
  if (!deleted) {
    // One write, all or none: every row stays, as every record is still stored.
    ShowMessageBox(this, tr("未能删除，记录都还在：%1").arg(ToQString(deleted.text)),
                   MessageKind::kError);
    return;
  }
  view_.Removed(newIndex);
  model_->ResetAll();
  CountRecords();
  UpdateRecordCount();
  ShowMessageBox(this, QStringLiteral("已删除 %1 条数据!").arg(removed), MessageKind::kInformation);
}

// The record list of the main window: rows built from records, ticking, the
// start-up load and records arriving from the detector.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QSignalBlocker>

#include "app/main_frame_wnd.h"
#include "device/capture_replay.h"
#include "store/record_sort.h"
#include "store/record_store.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

int MainFrameWnd::RowCount() const { return static_cast<int>(view_.RowCount(records_)); }

QString MainFrameWnd::Cell(int row, int cell) const {
  const uint32_t index = view_.RecordAt(static_cast<uint32_t>(row));
  if (cell == kTraceCodeColumn) return ToQString(TraceCode(records_[index]));
  return ToQString(records_.Cell(index, cell));
}

bool MainFrameWnd::Checked(int row) const {
  return records_[view_.RecordAt(static_cast<uint32_t>(row))].selected;
}

void* MainFrameWnd::Tag(int row) const {
  return const_cast<_NcItemData*>(records_.Element(view_.RecordAt(static_cast<uint32_t>(row))));
}

void MainFrameWnd::RecordChanged(uint32_t index) {
  if (view_.IsWhole()) {
    model_->RowsChanged(static_cast<int>(index), static_cast<int>(index));
  } else {
    // Finding the row would cost a look through every row shown, for each of
    // many upload replies: the rows on screen are painted again instead.
    model_->RowsChanged(0, RowCount() - 1);
  }
}

void MainFrameWnd::CountRecords() {
  ticked_ = shownTicked_ = shownFailed_ = 0;
  for (uint32_t i = 0; i < records_.Count(); ++i) ticked_ += records_[i].selected ? 1 : 0;
  const uint32_t shown = view_.RowCount(records_);
  for (uint32_t row = 0; row < shown; ++row) {
    const _NcItemData& record = records_[view_.RecordAt(row)];
    shownTicked_ += record.selected ? 1 : 0;
    shownFailed_ += record.Failed() ? 1 : 0;
  }
}

void MainFrameWnd::UpdateRecordCount() {
  if (!recordCount_) return;
  const uint32_t shown = view_.RowCount(records_);
  QString text =
      tr("共 %1 条，显示 %2 条，已勾选 %3 条").arg(records_.Count()).arg(shown).arg(ticked_);
  if (ticked_ > shownTicked_) text += tr("（其中 %1 条未显示）").arg(ticked_ - shownTicked_);
  text += tr("，合格 %1 条，不合格 %2 条").arg(shown - shownFailed_).arg(shownFailed_);
  recordCount_->setText(text);
}

void MainFrameWnd::LoadStoredRecords() {
  const DbStatus status = LoadRecordList(recordDb_, records_, settings_.deviceId);
  model_->ResetAll();
  CountRecords();
  UpdateRecordCount();
  if (!status) {
    // The list stops at a damaged block: say so instead of showing it as complete.
    const QString text = tr("数据库有损坏的部分，只列出了能读出的 %1 条记录：%2\n"
                            "请关闭程序，用 residue-tool repair 修复数据库（修复前会先复制一份）。")
                             .arg(records_.Count())
                             .arg(ToQString(status.text));
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          if (!closing_) ShowMessageBox(this, text, MessageKind::kError);
        },
        Qt::QueuedConnection);
  }
}

_NcItemData* MainFrameWnd::AddRecordRow(bool selected, bool uploaded, const String& text,
                                        const String* storedKey, const String& deviceId) {
  const bool ownId = !deviceId.IsEmpty();
  _NcItemData* record =
      records_.Append(storedKey ? *storedKey : RecordTestTime(text), text, selected, uploaded,
                      ownId ? deviceId : settings_.deviceId, ownId);
  if (!record) return nullptr;
  const int row = view_.Appended(records_, records_.Count() - 1);
  ticked_ += selected ? 1 : 0;
  if (row >= 0) {
    model_->RowsInserted(row, 1);
    shownTicked_ += selected ? 1 : 0;
    shownFailed_ += record->Failed() ? 1 : 0;
  }
  UpdateRecordCount();
  return record;
}

void MainFrameWnd::HandOverRecord(const String& key, const String& text, bool stored,
                                  bool duplicate, const String& deviceId) {
  // Called on the receive thread (or by a replay on this one): the row is
  // added on the UI thread, in the order the records arrived.
  QMetaObject::invokeMethod(
      this,
      [this, key, text, stored, duplicate, deviceId] {
        if (duplicate) {
          // Its row is there already: one test, one row.
          ShowLinkNote(tr("重复数据已忽略"), true);
          return;
        }
        _NcItemData* record = AddRecordRow(false, false, text, &key, deviceId);
        if (!stored) KeepPendingRecord(record, key, text, deviceId);
      },
      Qt::QueuedConnection);
}

void MainFrameWnd::ShowLinkNote(const QString& text, bool good) {
  textTipCom_->setText(text);
  textTipCom_->setStyleSheet(good ? QStringLiteral("color: rgb(0, 153, 0);")
                                  : QStringLiteral("color: rgb(255, 0, 0);"));
}

void MainFrameWnd::ReportDroppedFrames() {
  // Once per burst: said when a tick passes with no new dropped frame.
  const uint64_t dropped = frameDecoder_.DroppedFrames();
  if (dropped != droppedSeen_) {
    droppedSeen_ = dropped;
    return;
  }
  if (dropped == droppedReported_) return;
  const uint64_t burst = dropped - droppedReported_;
  droppedReported_ = dropped;
  ShowLinkNote(tr("已丢弃 %1 个不完整的数据帧").arg(burst), false);
}

void MainFrameWnd::OnRecordCheckClicked(_NcItemData* record) {
  const int row = record ? records_.IndexBySerial(record->serial) : -1;
  if (row < 0 || records_.Element(static_cast<uint32_t>(row)) != record) return;
  // The click arrives before the box changes: the new state is the opposite.
  // The row shows what is stored: a tick that could not be stored goes back.
  if (!SetRecordSelected(recordDb_, record->Key(), !record->selected)) {
    ShowMessageBox(this,
                   tr("未能保存勾选，请检查磁盘空间和数据库文件夹 %1")
                       .arg(QString::fromStdString(options_.storageFolder)),
                   MessageKind::kError);
    return;
  }
  record->selected = !record->selected;
  const uint32_t change = record->selected ? 1u : static_cast<uint32_t>(-1);
  ticked_ += change;
  shownTicked_ += change;  // a box is clicked on a row shown
  RecordChanged(static_cast<uint32_t>(row));
  UpdateRecordCount();
}

void MainFrameWnd::OnSelectAllChanged(QCheckBox* box) {
  const bool state = box->isChecked();
  // With a filter, only the rows shown change.
  const std::vector<uint32_t>* shown = view_.IsWhole() ? nullptr : &view_.Rows();
  const DbStatus stored = SetRecordsSelected(recordDb_, records_, state, shown);
  if (!stored) {
    // Nothing changed on disk (one write, all or none): the rows stay as they were.
    const QSignalBlocker quiet(box);
    box->setChecked(!state);
    ShowMessageBox(this, tr("未能保存全选：%1").arg(ToQString(stored.text)), MessageKind::kError);
    return;
  }
  if (shown) {
    for (const uint32_t index : *shown) records_[index].selected = state;
  } else {
    for (uint32_t i = 0; i < records_.Count(); ++i) records_[i].selected = state;
  }
  model_->RowsChanged(0, RowCount() - 1);
  CountRecords();
  UpdateRecordCount();
}

void MainFrameWnd::ShowUploadText(int row, const String& text) {
  records_[static_cast<uint32_t>(row)].SetStatus(text);
  RecordChanged(static_cast<uint32_t>(row));
}

void MainFrameWnd::ReplayCaptureFile() {
  // Replaying stores the file's records as real ones: only when asked for.
  const QString path = QFileInfo(QString::fromStdString(options_.capturePath)).absoluteFilePath();
  if (!ShowMessageBox(
          this,
          tr("回放采集文件 %1？\n文件中的检测记录会作为新记录存入数据库并显示在列表中。").arg(path),
          MessageKind::kConfirm)) {
    return;
  }
  std::string problem;
  if (!::ReplayCaptureFile(options_.capturePath, frameDecoder_, settings_.productNames, &problem)) {
    ShowMessageBox(
        this, tr("无法回放采集文件：%1").arg(ShownLibraryText(QString::fromStdString(problem))),
        MessageKind::kError);
  }
}

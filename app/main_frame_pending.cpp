// Received records the database did not take (a full disk, a failing
// folder): they stay in the list, marked, and in a queue that is tried again
// every few seconds; at close, what is still waiting is written as raw
// detector frames to a file beside the database, which the next start stores.
#include <QFileInfo>
#include <cstdio>
#include <fstream>

#include "app/main_frame_wnd.h"
#include "base/file_io.h"
#include "base/trace.h"
#include "store/record_store.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

void MainFrameWnd::KeepPendingRecord(_NcItemData* record, const String& testTime,
                                     const String& text, const String& deviceId) {
  const bool episodeStarts = pendingRecords_.empty();
  pendingRecords_.push_back(PendingRecord{record ? record->serial : 0, testTime, text, deviceId});
  if (record) {
    record->stored = false;
    book_.SetStatus(record->serial, FromQString(tr("未保存")));
  }
  if (!pendingTimer_.isActive()) pendingTimer_.start(options_.timing.pendingRetryMs);
  // One box for a burst: shown after the records that failed with it are in.
  if (episodeStarts)
    QMetaObject::invokeMethod(
        this, [this] { ShowStoreProblem(); }, Qt::QueuedConnection);
}

void MainFrameWnd::ShowStoreProblem() {
  if (closing_ || pendingRecords_.empty()) return;
  ShowMessageBox(
      this,
      tr("无法保存检测记录：%1\n有 %2 条记录等待保存，程序每隔几秒会再试一次；"
         "关闭程序时还没保存的记录会写入 %3，下次启动时保存。请检查磁盘空间和数据库文件夹。")
          .arg(ToQString(lastStoreError_))
          .arg(pendingRecords_.size())
          .arg(QFileInfo(QString::fromStdString(PendingCapturePath())).absoluteFilePath()),
      MessageKind::kError);
}

// Stores what is waiting, in arrival order, and stops at the first record the
// database still refuses. leveldb keeps refusing after one failed write until
// it is opened again, so a refusal is tried once more after a reopen. True
// when nothing is left waiting.
bool MainFrameWnd::RetryPendingRecords() {
  bool reopened = false;
  while (!pendingRecords_.empty()) {
    const PendingRecord& pending = pendingRecords_.front();
    StoredRecord stored =
        StoreReceivedRecord(recordDb_, pending.testTime, pending.text, true, pending.deviceId);
    if (!stored.status && !reopened) {
      recordDb_.Reopen();
      reopened = true;
      continue;
    }
    if (!stored.status) {
      lastStoreError_ = stored.status.text;
      return false;
    }
    if (pending.serial && stored.duplicate) {
      // The same test came twice while the disk refused both: the first copy
      // is stored and listed, this row would show it a second time.
      book_.Forget(pending.serial);
    } else if (pending.serial) {
      book_.MarkStored(pending.serial, stored.key);
    }
    pendingRecords_.erase(pendingRecords_.begin());
  }
  return true;
}

void MainFrameWnd::SavePendingRecordsForNextStart() {
  if (pendingRecords_.empty()) return;
  std::string frames;
  for (const PendingRecord& pending : pendingRecords_) {
    frames += ":NC" + pending.text.ToBytes(cp::kGbk);
  }
  std::ofstream file(PendingCapturePath(), std::ios::binary | std::ios::app);
  file << frames;
  file.flush();
  if (!file)
    Trace(u"cannot keep %d records for the next start", static_cast<int>(pendingRecords_.size()));
  pendingRecords_.clear();
}

// Records a previous run could not store: stored now and listed, and the file
// removed once every one of them is in.
void MainFrameWnd::StoreRecordsLeftLastTime() {
  std::string capture;
  if (!ReadWholeFile(PendingCapturePath(), capture) || capture.empty()) return;
  // The file holds whole frames as this program wrote them: ":NC" and the
  // 176-byte record text, names already in place.
  constexpr size_t kTextLength = 176;
  bool allStored = true;
  for (size_t at = capture.find(":NC");
       at != std::string::npos && at + 3 + kTextLength <= capture.size();
       at = capture.find(":NC", at + 3 + kTextLength)) {
    const std::string text = capture.substr(at + 3, kTextLength);
    String key = String::FromBytes(text.substr(0, text.find('+')), cp::kGbk);
    key.Trim();
    const String data = String::FromBytes(text, cp::kGbk);
    if (!IsRecordText(data)) continue;  // never stored: the list could not show it
    const StoredRecord stored = StoreReceivedRecord(recordDb_, key, data, true, settings_.deviceId);
    allStored = allStored && stored.status.ok;
    if (stored.status && !stored.duplicate)
      AddRecordRow(false, false, data, &stored.key, settings_.deviceId);
  }
  if (allStored) std::remove(PendingCapturePath().c_str());
}

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

void MainFrameWnd::OnRecordWaiting() {
  if (!pendingTimer_.isActive()) pendingTimer_.start(options_.timing.pendingRetryMs);
  // One box for a burst: shown after the records that failed with it are in.
  if (book_.WaitingCount() == 1)
    QMetaObject::invokeMethod(
        this, [this] { ShowStoreProblem(); }, Qt::QueuedConnection);
}

void MainFrameWnd::ShowStoreProblem() {
  if (closing_ || book_.WaitingCount() == 0) return;
  ShowMessageBox(
      this,
      tr("无法保存检测记录：%1\n有 %2 条记录等待保存，程序每隔几秒会再试一次；"
         "关闭程序时还没保存的记录会写入 %3，下次启动时保存。请检查磁盘空间和数据库文件夹。")
          .arg(ToQString(lastStoreError_))
          .arg(book_.WaitingCount())
          .arg(ShownPath(PendingCapturePath())),
      MessageKind::kError);
}

bool MainFrameWnd::RetryPendingRecords() {
  if (book_.IsFrozen()) return false;  // the next tick, after the work over the records
  std::vector<uint32_t> storedNow;
  const DbStatus stored = book_.StoreWaiting(&storedNow);
  QueueStoredRecords(storedNow);
  if (stored) return true;
  lastStoreError_ = stored.text;
  return false;
}

void MainFrameWnd::SavePendingRecordsForNextStart() {
  const size_t waiting = book_.WaitingCount();
  if (!book_.SaveWaiting(PendingCapturePath()))
    Trace(u"cannot keep %d records for the next start", static_cast<int>(waiting));
}

// Records a previous run could not store: stored now and listed.
void MainFrameWnd::StoreRecordsLeftLastTime() {
  book_.StoreLeftOver(PendingCapturePath(), settings_.deviceId);
}

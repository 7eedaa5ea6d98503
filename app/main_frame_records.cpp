// The record list of the main window: rows built from records, ticking, the
// start-up load and records arriving from the detector.
#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "app/main_frame_wnd.h"
#include "device/capture_replay.h"
#include "store/record_sort.h"
#include "store/record_store.h"
#include "ui/elided_label.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

int MainFrameWnd::RowCount() const { return static_cast<int>(book_.RowCount()); }

QString MainFrameWnd::Cell(int row, int cell) const {
  const uint32_t index = book_.RecordAt(static_cast<uint32_t>(row));
  if (cell == kTraceCodeColumn) return ToQString(TraceCode(book_.Records()[index]));
  return ToQString(book_.Records().Cell(index, cell));
}

bool MainFrameWnd::Checked(int row) const {
  return book_.Records()[book_.RecordAt(static_cast<uint32_t>(row))].selected;
}

void* MainFrameWnd::Tag(int row) const {
  return const_cast<_NcItemData*>(
      book_.Records().Element(book_.RecordAt(static_cast<uint32_t>(row))));
}

void MainFrameWnd::OnBookChanged(const RecordBook::Change& change) {
  if (!model_) return;
  switch (change.kind) {
    case RecordBook::Change::Kind::kReset:
      model_->ResetAll();
      break;
    case RecordBook::Change::Kind::kInserted:
      model_->RowsInserted(change.first, 1);
      break;
    case RecordBook::Change::Kind::kRows:
      if (change.first <= change.last) model_->RowsChanged(change.first, change.last);
      break;
  }
  UpdateRecordCount();
  // The statistics page, when it is the one shown, follows too: once a burst
  // of changes has passed, not at every record.
  if (switch_ && switch_->currentIndex() == kStatsPage) statsRefresh_.start();
}

void MainFrameWnd::UpdateRecordCount() {
  if (!recordCount_ || bookJob_.IsActive()) return;
  const RecordBook::Counts& c = book_.GetCounts();
  QString text = tr("共 %1 条，显示 %2 条，已勾选 %3 条").arg(c.total).arg(c.shown).arg(c.ticked);
  if (c.ticked > c.shownTicked) text += tr("（其中 %1 条未显示）").arg(c.ticked - c.shownTicked);
  text += tr("，合格 %1 条，不合格 %2 条").arg(c.shown - c.shownFailed).arg(c.shownFailed);
  SetElidedText(recordCount_, text);
}

void MainFrameWnd::RunOnFrozenBook(const QString& busyText,
                                   std::function<RecordBook::Prepared()> prepare,
                                   std::function<void(const RecordBook::Prepared&)> done) {
  if (book_.Records().Count() < options_.timing.bookWorkerFrom) {
    const RecordBook::Prepared prepared = RecordBook::Finish(prepare());
    if (done) done(prepared);
    return;
  }
  book_.Freeze();
  bookJob_.Start(0, [this, prepare, done] {
    auto prepared = std::make_shared<RecordBook::Prepared>(prepare());
    QMetaObject::invokeMethod(
        this,
        [this, prepared, done] {
          bookJob_.Ended();
          if (prepared->finish && book_.IsFrozen()) prepared->finish();
          prepared->finish = nullptr;
          if (prepared->leftover) {
            leftoverJob_.Start(
                0, [leftover = std::move(prepared->leftover)]() mutable { leftover.reset(); });
          }
          ShowBookBusy(QString());
          ThawBook();
          if (!closing_ && done) done(*prepared);
        },
        Qt::QueuedConnection);
  });
  ShowBookBusy(busyText);
}

void MainFrameWnd::ShowBookBusy(const QString& busyText) {
  const bool busy = !busyText.isEmpty();
  for (const char* name :
       {"selall", "btn_delete", "btn_recycle", "btn_export", "btn_notice", "btn_print",
        "btn_upload", "BtnClearFind", "BtnSaveDevice", "BtnDeleteDevice"}) {
    if (auto* control = root_->findChild<QWidget*>(QLatin1String(name))) control->setEnabled(!busy);
  }
  datalist_->horizontalHeader()->setSectionsClickable(!busy);
  if (busy) {
    SetElidedText(recordCount_, busyText);
  } else {
    UpdateRecordCount();
  }
}

void MainFrameWnd::ThawBook() {
  book_.Thaw();
  // What was typed into the find bar meanwhile.
  if (findDue_ && !book_.IsFrozen() && !closing_) ApplyFindBar();
}

bool MainFrameWnd::RefuseWhileBookBusy() {
  if (!book_.IsFrozen()) return false;
  ShowMessageBox(this, tr("正在处理记录，请稍候再试"), MessageKind::kError);
  return true;
}

void MainFrameWnd::LoadStoredRecords() {
  const DbStatus status = book_.Load(settings_.deviceId);
  if (!status) {
    // The list stops at a damaged block: say so instead of showing it as complete.
    const QString text = tr("数据库有损坏的部分，只列出了能读出的 %1 条记录：%2\n"
                            "请关闭程序，用 residue-tool repair 修复数据库（修复前会先复制一份）。")
                             .arg(book_.Records().Count())
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
  return book_.Add(storedKey ? *storedKey : RecordTestTime(text), text, selected, uploaded,
                   ownId ? deviceId : settings_.deviceId, ownId);
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
        // While work over the records runs, the row joins when it ends.
        book_.WhenThawed([this, key, text, stored, deviceId] {
          if (stored) {
            NoteQueuedRow(AddRecordRow(false, false, text, &key, deviceId));
            return;
          }
          book_.AddWaiting(key, text, deviceId, settings_.deviceId, FromQString(tr("未保存")));
          OnRecordWaiting();
        });
      },
      Qt::QueuedConnection);
}

void MainFrameWnd::ShowLinkNote(const QString& text, bool good) {
  SetElidedText(textTipCom_, text);
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
  ShowLinkNote(tr("已丢弃 %n 个不完整的数据帧", nullptr, static_cast<int>(burst)), false);
}

void MainFrameWnd::OnRecordCheckClicked(_NcItemData* record) {
  if (book_.IsFrozen()) return;  // the box stays as it is until the work ends
  const int index = record ? book_.Records().IndexBySerial(record->serial) : -1;
  if (index < 0 || book_.Records().Element(static_cast<uint32_t>(index)) != record) return;
  // The click arrives before the box changes: the new state is the opposite.
  // The row shows what is stored: a tick that could not be stored goes back.
  if (!book_.SetTicked(record->serial, !record->selected)) {
    ShowMessageBox(this,
                   tr("未能保存勾选，请检查磁盘空间和数据库文件夹 %1")
                       .arg(QString::fromStdString(options_.storageFolder)),
                   MessageKind::kError);
  }
}

void MainFrameWnd::OnSelectAllChanged(QCheckBox* box) {
  const bool state = box->isChecked();
  if (RefuseWhileBookBusy()) {
    const QSignalBlocker quiet(box);
    box->setChecked(!state);
    return;
  }
  QPointer<QCheckBox> guarded(box);
  RunOnFrozenBook(
      state ? tr("正在全选……") : tr("正在取消全选……"),
      [this, state] { return book_.PrepareTickShown(state); },
      [this, guarded, state](const RecordBook::Prepared& stored) {
        if (stored.status) return;
        // Nothing changed on disk (one write, all or none): the rows stay as they were.
        if (guarded) {
          const QSignalBlocker quiet(guarded);
          guarded->setChecked(!state);
        }
        ShowMessageBox(this, tr("未能保存全选：%1").arg(ToQString(stored.status.text)),
                       MessageKind::kError);
      });
}

void MainFrameWnd::ReplayCaptureFile() {
  // Replaying stores the file's records as real ones: only when asked for.
  const QString path = ShownPath(options_.capturePath);
  if (!QFileInfo::exists(path)) {
    ShowMessageBox(this, tr("找不到采集文件 %1，没有可回放的记录").arg(path), MessageKind::kError);
    return;
  }
  if (!ShowMessageBox(
          this,
          tr("回放采集文件 %1？\n文件中的检测记录会作为新记录存入数据库并显示在列表中。").arg(path),
          MessageKind::kConfirm)) {
    return;
  }
  const Status replayed =
      ::ReplayCaptureFile(options_.capturePath, frameDecoder_, settings_.productNames);
  if (!replayed) {
    ShowMessageBox(this, tr("无法回放采集文件：%1").arg(ShownLibraryText(ToQString(replayed.text))),
                   MessageKind::kError);
  }
}

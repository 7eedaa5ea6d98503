// Automatic upload: every record stored while "自动上传" is on is queued in
// the outbox beside the database and sent by the outbox's own worker; the
// window marks the rows that wait ("待上传"), stores each accepted record's
// flag through the record book, and says in the status bar how many wait
// and, after a failure, why and when the next try comes.
#include <QCheckBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <future>
#include <thread>

#include "app/main_frame_wnd.h"
#include "base/calendar.h"
#include "ui/elided_label.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

// Hands accepted records to the window's book and waits for the flags to be
// stored; the wait ends early when the window closes (the records then stay
// queued and may be sent once more).
class WindowFlagStore : public UploadFlagStore {
 public:
  explicit WindowFlagStore(MainFrameWnd& window) : window_(window) {}

  bool StoreUploaded(const std::vector<UploadRecord>& accepted) override {
    auto stored = std::make_shared<std::promise<bool>>();
    std::future<bool> outcome = stored->get_future();
    QMetaObject::invokeMethod(
        &window_,
        [this, accepted, stored] {
          window_.StoreOutboxFlags(accepted, [stored](bool ok) { stored->set_value(ok); });
        },
        Qt::QueuedConnection);
    while (outcome.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
      if (window_.outboxStopping_) return false;
    }
    return outcome.get();
  }

  void ShowRejected(const UploadRecord& record, const String& why) override {
    const String key = record.key;
    QMetaObject::invokeMethod(
        &window_, [this, key, why] { window_.ShowOutboxRejection(key, why); },
        Qt::QueuedConnection);
  }

 private:
  MainFrameWnd& window_;
};

UploadTarget MainFrameWnd::CurrentUploadTarget() const {
  UploadTarget target;
  target.tcp = settings_.serverType == u"TCP服务器";
  TcpUploadSettings& tcp = target.tcpSettings;
  tcp.host = settings_.serverHost;
  tcp.port = settings_.serverPort;
  tcp.connectTimeoutMs = options_.timing.uploadConnectTimeoutMs;
  tcp.idleTimeoutMs = options_.timing.uploadIdleTimeoutMs;
  settings_.deviceId.HexToBytes(tcp.deviceId, 8);
  HttpUploadSettings& http = target.httpSettings;
  http.url = settings_.httpUrl;
  http.userName = settings_.userName;
  http.password = settings_.password;
  http.unitCode = settings_.unitCode;
  http.unitName = settings_.unitName;
  http.okText = settings_.httpOkText;
  return target;
}

void MainFrameWnd::StartOutbox() {
  outbox_ = std::make_unique<Outbox>(Outbox::FolderFor(options_.storageFolder));
  if (!outbox_->OpenStatus()) {
    const QString why = ToQString(outbox_->OpenStatus().text);
    outbox_.reset();
    ShowLinkNote(tr("无法打开上传队列，自动上传不可用：%1").arg(why), false);
    return;
  }
  const NcItemList& records = book_.Records();
  // Records stored just before a crash, announced and never queued: queued now.
  const std::vector<String> expected = outbox_->Expected();
  if (!expected.empty()) {
    std::vector<String> keys;
    for (uint32_t i = 0; i < records.Count(); ++i) {
      const String key = records[i].Key();
      if (records[i].uploaded || !records[i].stored || outbox_->Contains(key)) continue;
      for (const String& time : expected) {
        if (key.Left(time.Length()) == time) keys.push_back(key);
      }
    }
    if (outbox_->Add(keys, LocalNowText())) (void)outbox_->ForgetExpected();
  }
  // The rows of records still queued, or refused, from an earlier run (no
  // walk over the list when there are none).
  const auto refused = outbox_->Rejections();
  std::vector<std::pair<uint64_t, String>> marks;
  const uint32_t walked = outbox_->Count() > 0 || !refused.empty() ? records.Count() : 0;
  for (uint32_t i = 0; i < walked; ++i) {
    const String key = records[i].Key();
    if (outbox_->Contains(key)) {
      outboxSerials_[key.ToStd()] = records[i].serial;
      marks.emplace_back(records[i].serial, String(FromQString(tr("待上传"))));
    } else if (!records[i].uploaded) {
      auto it = refused.find(key.ToStd());
      if (it != refused.end()) marks.emplace_back(records[i].serial, it->second);
    }
  }
  for (const auto& [serial, text] : marks) book_.SetStatus(serial, text);

  outboxFlags_ = std::make_unique<WindowFlagStore>(*this);
  outboxWorker_ = std::make_unique<OutboxWorker>(*outbox_, recordDb_, *outboxFlags_, nullptr);
  if (options_.timing.outboxBatch > 0) outboxWorker_->SetBatch(options_.timing.outboxBatch);
  // Every second: the settings as they are now (a server changed on the
  // settings page is used by the next round) and the state in the status bar.
  connect(&outboxTimer_, &QTimer::timeout, this, &MainFrameWnd::ConfigureOutbox);
  outboxTimer_.start(1000);
  ConfigureOutbox();
}

void MainFrameWnd::ConfigureOutbox() {
  if (!outboxWorker_) return;
  uint8_t id[8];
  const bool on = settings_.autoUpload && settings_.deviceId.HexToBytes(id, 8) == 8;
  outboxWorker_->Configure(on, CurrentUploadTarget(), settings_.deviceId);
  serialLink_.QueueForUpload(settings_.autoUpload ? outbox_.get() : nullptr);
  if (auto* box = root_->findChild<QCheckBox*>(QStringLiteral("CheckAutoUpload"))) {
    const QSignalBlocker quiet(box);
    box->setChecked(settings_.autoUpload);
  }
  ShowOutboxState();
}

void MainFrameWnd::ShowOutboxState() {
  auto* text = root_ ? root_->findChild<QLabel*>(QStringLiteral("TextOutbox")) : nullptr;
  auto* now = root_ ? root_->findChild<QPushButton*>(QStringLiteral("BtnUploadNow")) : nullptr;
  if (!text || !now) return;
  const bool shown = outboxWorker_ && (settings_.autoUpload || outbox_->Count() > 0);
  text->setVisible(shown);
  now->setVisible(shown && settings_.autoUpload);
  if (!shown) return;
  const OutboxWorker::State state = outboxWorker_->GetState();
  QString line = tr("自动上传：待上传 %n 条", nullptr, static_cast<int>(state.queued));
  if (!settings_.autoUpload) {
    line += tr("（自动上传已关闭）");
  } else if (settings_.deviceId.IsEmpty()) {
    line += tr("（请先设置设备ID）");
  } else if (!state.failure.IsEmpty() && state.queued > 0) {
    const QString why = ShownLibraryText(ToQString(state.failure)).section(QLatin1Char('\n'), 0, 0);
    const QString at =
        QDateTime::fromSecsSinceEpoch(
            std::chrono::duration_cast<std::chrono::seconds>(state.failedAt.time_since_epoch())
                .count())
            .toString(QStringLiteral("HH:mm"));
    line += QStringLiteral("，") +
            tr("%1 (%2)，%3 秒后重试").arg(why, at).arg((state.retryInMs + 999) / 1000);
  }
  SetElidedText(text, line);
  text->setStyleSheet(state.failure.IsEmpty() || state.queued == 0
                          ? QString()
                          : QStringLiteral("color: rgb(255, 0, 0);"));
}

void MainFrameWnd::UploadOutboxNow() {
  if (outboxWorker_) outboxWorker_->Wake();
  ShowOutboxState();
}

void MainFrameWnd::NoteQueuedRow(const _NcItemData* record) {
  if (!record || !outbox_ || !outbox_->Contains(record->Key())) return;
  outboxSerials_[record->Key().ToStd()] = record->serial;
  book_.SetStatus(record->serial, FromQString(tr("待上传")));
  if (outboxWorker_) outboxWorker_->Wake();
}

void MainFrameWnd::QueueStoredRecords(const std::vector<uint32_t>& indexes) {
  if (!outbox_ || !settings_.autoUpload || indexes.empty()) return;
  std::vector<String> keys;
  const NcItemList& records = book_.Records();
  for (const uint32_t i : indexes) keys.push_back(records[i].Key());
  const DbStatus queued = outbox_->Add(keys, LocalNowText());
  if (!queued) lastStoreError_ = queued.text;
  for (const uint32_t i : indexes) NoteQueuedRow(&records[i]);
}

void MainFrameWnd::StoreOutboxFlags(const std::vector<UploadRecord>& accepted,
                                    std::function<void(bool)> done) {
  // While work over the records runs, the flags wait for its end.
  book_.WhenThawed([this, accepted, done] {
    std::vector<std::pair<uint64_t, String>> flags;
    for (const UploadRecord& record : accepted) {
      auto it = outboxSerials_.find(record.key.ToStd());
      // A record not listed (deleted meanwhile) has its flag stored all the same.
      flags.emplace_back(it == outboxSerials_.end() ? 0 : it->second, record.key);
      if (it != outboxSerials_.end()) outboxSerials_.erase(it);
    }
    const bool stored = book_.MarkUploaded(flags);
    LogOperation(tr("自动上传"), tr("接受 %n 条", nullptr, static_cast<int>(flags.size())) +
                                     (stored ? QString() : tr("（上传标记未能保存）")));
    done(stored);
  });
}

void MainFrameWnd::ShowOutboxRejection(const String& key, const String& why) {
  LogOperation(tr("自动上传"), tr("拒绝 %1：%2").arg(ToQString(key), ToQString(why)));
  auto it = outboxSerials_.find(key.ToStd());
  if (it == outboxSerials_.end()) return;
  const uint64_t serial = it->second;
  outboxSerials_.erase(it);
  book_.WhenThawed([this, serial, why] { book_.SetStatus(serial, why); });
}

void MainFrameWnd::OnAutoUploadToggled(bool on) {
  settings_.autoUpload = on;
  settings_.Save();
  LogOperation(tr("设置"), on ? tr("自动上传 = 开") : tr("自动上传 = 关"));
  if (on && outbox_) {
    // Once, as it is turned on: the records never uploaded may go too.
    std::vector<String> keys;
    std::vector<uint32_t> rows;
    const NcItemList& records = book_.Records();
    for (uint32_t i = 0; i < records.Count(); ++i) {
      if (!records[i].uploaded && records[i].stored && !outbox_->Contains(records[i].Key())) {
        keys.push_back(records[i].Key());
        rows.push_back(i);
      }
    }
    if (!keys.empty() && ShowMessageBox(this,
                                        tr("有 %n 条未上传的记录，是否一并上传？", nullptr,
                                           static_cast<int>(keys.size())),
                                        MessageKind::kConfirm)) {
      const DbStatus queued = outbox_->Add(keys, LocalNowText());
      if (!queued) {
        ShowMessageBox(
            this, tr("无法把记录加入上传队列：%1").arg(ShownLibraryText(ToQString(queued.text))),
            MessageKind::kError);
      }
      for (const uint32_t i : rows) NoteQueuedRow(&records[i]);
    }
  }
  ConfigureOutbox();
}

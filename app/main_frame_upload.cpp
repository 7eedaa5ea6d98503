// Uploads to the inspection server and the trace-page lookup.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <set>

#include "app/main_frame_wnd.h"
#include "app/trace_lookup.h"
#include "store/record_store.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/url_opener.h"
#include "upload/http_upload.h"
#include "upload/tcp_upload.h"

void MainFrameWnd::UploadSelectedRecords() {
  if (uploadJob_.IsRunning()) {
    ShowMessageBox(this, tr("正在上传，请等待上传完成"), MessageKind::kError);
    return;
  }
  if (settings_.deviceId.IsEmpty()) {
    ShowMessageBox(this, tr("请先设置设备ID"), MessageKind::kError);
    return;
  }
  uint8_t deviceId[8];
  if (settings_.deviceId.HexToBytes(deviceId, 8) != 8) {
    ShowMessageBox(this, tr("设备ID不正确，必须是16进制字符，且长度为 16."), MessageKind::kError);
    return;
  }
  const bool tcp = settings_.serverType == u"TCP服务器";
  if (!tcp && !(settings_.serverType == u"HTTP服务器")) {
    ShowMessageBox(this, tr("错误的服务器类型"), MessageKind::kError);
    return;
  }
  // The automatic upload starts no round from now until this upload ends,
  // and the records of a round it started already are left to it: no record
  // goes twice at once. The worker gets copies: the list may change while it runs.
  if (outboxWorker_) outboxWorker_->SetPaused(true);
  std::vector<UploadRecord> records = TakeUploadSnapshot(book_.Records(), recordDb_);
  if (outboxWorker_) {
    const std::set<std::u16string> inFlight = outboxWorker_->InFlight();
    records.erase(
        std::remove_if(records.begin(), records.end(),
                       [&](const UploadRecord& r) { return inFlight.count(r.key.ToStd()); }),
        records.end());
  }
  int again = 0;
  for (const UploadRecord& r : records) {
    const int index = book_.Records().IndexBySerial(r.serial);
    again += index >= 0 && book_.Records()[static_cast<uint32_t>(index)].uploaded ? 1 : 0;
  }
  if (again > 0 && !ShowMessageBox(this, tr("其中 %n 条已上传，仍要再次上传吗？", nullptr, again),
                                   MessageKind::kConfirm)) {
    if (outboxWorker_) outboxWorker_->SetPaused(false);
    return;
  }
  uploadAbort_ = std::make_shared<UploadAbort>();
  std::shared_ptr<UploadAbort> abort = uploadAbort_;
  unstoredUploadFlags_ = 0;
  uploadAccepted_ = uploadRefused_ = 0;
  // Whatever way the worker ends, the window hears of it after every report
  // the worker posted before (queued calls keep their order).
  auto ended = [this] {
    QMetaObject::invokeMethod(
        this, [this] { OnUploadEnded(); }, Qt::QueuedConnection);
  };
  const UploadTarget target = CurrentUploadTarget();
  uploadJob_.Start(records.size(), [this, target, records, abort, ended] {
    if (target.tcp) {
      RunTcpUpload(target.tcpSettings, records, *this, *abort);
    } else {
      RunHttpUpload(target.httpSettings, records, *this, *abort);
    }
    ended();
  });
  ShowJobProgress(true, 0, records.size());
}

void MainFrameWnd::ShowUploadReply(uint64_t serial, const String& key, const String& text,
                                   bool accepted) {
  QMetaObject::invokeMethod(
      this,
      [this, serial, key, text, accepted] {
        ++(accepted ? uploadAccepted_ : uploadRefused_);
        if (accepted) {
          // Stored in batches, one write for all the replies that came
          // together; the row says "已上传" once the flag is stored.
          if (pendingUploadFlags_.empty()) {
            QMetaObject::invokeMethod(
                this, [this] { StoreUploadFlags(); }, Qt::QueuedConnection);
          }
          pendingUploadFlags_.emplace_back(serial, key);
          return;
        }
        // The operator may have deleted the record meanwhile: then nothing changes.
        book_.SetStatus(serial, text);
      },
      Qt::QueuedConnection);
}

// Called on the upload worker: the message is logged and shown on the UI thread.
void MainFrameWnd::ShowUploadMessage(const String& text, bool error) {
  QMetaObject::invokeMethod(
      this,
      [this, text = ToQString(text), error] {
        const QString message = ShownLibraryText(text);
        LogUpload(message.section(QLatin1Char('\n'), 0, 0));
        if (closing_) return;
        ShowMessageBox(this, message, error ? MessageKind::kError : MessageKind::kInformation);
      },
      Qt::QueuedConnection);
}

// Called after every frame: only the latest count is kept, and at most one
// update waits in the window's queue at a time.
void MainFrameWnd::ShowUploadProgress(int sent, int total) {
  uploadJob_.Report(static_cast<size_t>(sent), static_cast<size_t>(total));
}

void MainFrameWnd::ShowJobProgress(bool upload, size_t done, size_t total) {
  QLabel* text = upload ? textUploadProgress_ : textOutputProgress_;
  QPushButton* stop = upload ? btnStopUpload_ : btnStopOutput_;
  text->setText(upload ? tr("正在上传 %1/%2").arg(done).arg(total)
                       : tr("正在写入 %1/%2").arg(done).arg(total));
  text->show();
  stop->show();
}

void MainFrameWnd::StoreUploadFlags() {
  if (pendingUploadFlags_.empty()) return;
  // While work over the records runs, the flags wait for its end.
  if (book_.IsFrozen()) return book_.WhenThawed([this] { StoreUploadFlags(); });
  if (!book_.MarkUploaded(pendingUploadFlags_))
    unstoredUploadFlags_ += static_cast<int>(pendingUploadFlags_.size());
  pendingUploadFlags_.clear();
}

void MainFrameWnd::ShowUploadResult(int accepted, int unanswered) {
  QMetaObject::invokeMethod(
      this,
      [this, accepted, unanswered] {
        StoreUploadFlags();  // the replies before this report are all in
        book_.WhenThawed([this, accepted, unanswered] { ReportUpload(accepted, unanswered); });
      },
      Qt::QueuedConnection);
}

void MainFrameWnd::LogUpload(const QString& outcome) {
  const QString server =
      settings_.serverType == u"TCP服务器"
          ? QStringLiteral("%1:%2").arg(ToQString(settings_.serverHost)).arg(settings_.serverPort)
          : ToQString(settings_.httpUrl);
  LogOperation(
      tr("上传"),
      tr("%1：接受 %2 条，拒绝 %3 条").arg(server).arg(uploadAccepted_).arg(uploadRefused_) +
          (outcome.isEmpty() ? QString() : QStringLiteral("；") + outcome));
}

void MainFrameWnd::ReportUpload(int accepted, int unanswered) {
  LogUpload(unanswered > 0 ? tr("%n 条没有回复", nullptr, unanswered) : QString());
  if (closing_) return;
  // The report UploadReport words, in the window's language.
  QString report = tr("已成功上传 %n 条数据!", nullptr, accepted);
  if (unanswered > 0)
    report += QLatin1Char('\n') + tr("%n 条数据没有收到服务器回复", nullptr, unanswered);
  if (unstoredUploadFlags_ > 0) {
    report += QLatin1Char('\n') +
              tr("%1 条数据的上传标记未能保存，下次会再上传").arg(unstoredUploadFlags_);
  }
  ShowMessageBox(this, report, MessageKind::kInformation);
}

void MainFrameWnd::OnUploadEnded() {
  uploadJob_.Ended();
  if (outboxWorker_) outboxWorker_->SetPaused(false);
  textUploadProgress_->hide();
  btnStopUpload_->hide();
}

void MainFrameWnd::StopUploadSending() {
  if (uploadAbort_) uploadAbort_->RequestStop();
}

void MainFrameWnd::StopUpload() {
  if (uploadAbort_) uploadAbort_->Request();
  uploadJob_.Join();
}

void MainFrameWnd::OpenTracePage() {
  auto* edit = root_->findChild<QLineEdit*>("EditCode");
  edit->selectAll();
  const QString address =
      ToQString(TracePageAddress(settings_.queryUrl, FromQString(edit->text())));
  if (address.isEmpty()) {
    ShowMessageBox(
        this,
        edit->text().trimmed().isEmpty()
            ? tr("请输入标签上的追溯码，或扫描标签上的条码或二维码")
            : tr("“%1”不是追溯码：请输入标签上的 12 位追溯码，或扫描标签上的条码或二维码")
                  .arg(edit->text().trimmed()),
        MessageKind::kError);
    return;
  }
  if (!OpenUrl(address)) {
    ShowMessageBox(
        this,
        tr("没有找到可以打开网页的浏览器。请把下面的地址复制到浏览器中打开：\n%1").arg(address),
        MessageKind::kError);
  }
}

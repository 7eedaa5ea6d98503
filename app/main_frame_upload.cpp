// Uploads to the inspection server and the trace-page lookup.
#include <QLineEdit>

#include "app/main_frame_wnd.h"
#include "store/record_store.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/url_opener.h"
#include "upload/http_upload.h"
#include "upload/tcp_upload.h"

void MainFrameWnd::UploadSelectedRecords() {
  if (uploadThread_.IsRunning()) {
    ShowMessageBox(this, QStringLiteral("正在上传，请等待上传完成"), MessageKind::kError);
    return;
  }
  if (settings_.deviceId.IsEmpty()) {
    ShowMessageBox(this, QStringLiteral("请先设置设备ID"), MessageKind::kError);
    return;
  }
  uint8_t deviceId[8];
  if (settings_.deviceId.HexToBytes(deviceId, 8) != 8) {
    ShowMessageBox(this, QStringLiteral("设备ID不正确，必须是16进制字符，且长度为 16."),
                   MessageKind::kError);
    return;
  }
  const bool tcp = settings_.serverType == u"TCP服务器";
  if (!tcp && !(settings_.serverType == u"HTTP服务器")) {
    ShowMessageBox(this, QStringLiteral("错误的服务器类型"), MessageKind::kError);
    return;
  }
  // The worker gets copies: the list may change while it runs.
  std::vector<UploadRecord> records = TakeUploadSnapshot(records_, recordDb_);
  uploadThread_.Wait(Thread::kInfinite);  // the previous worker has ended; let it go
  uploadThread_.Close();
  uploadAbort_ = std::make_shared<UploadAbort>();
  std::shared_ptr<UploadAbort> abort = uploadAbort_;
  if (tcp) {
    TcpUploadSettings s;
    s.host = settings_.serverHost;
    s.port = settings_.serverPort;
    std::copy(deviceId, deviceId + 8, s.deviceId);
    uploadThread_.Start([this, s, records, abort] { RunTcpUpload(s, records, *this, *abort); });
  } else {
    HttpUploadSettings s;
    s.url = settings_.httpUrl;
    s.userName = settings_.userName;
    s.password = settings_.password;
    s.unitCode = settings_.unitCode;
    s.unitName = settings_.unitName;
    uploadThread_.Start([this, s, records, abort] { RunHttpUpload(s, records, *this, *abort); });
  }
}

void MainFrameWnd::ShowUploadReply(uint64_t serial, const String& key, const String& text,
                                   bool accepted) {
  QMetaObject::invokeMethod(
      this,
      [this, serial, key, text, accepted] {
        // The operator may have deleted the record meanwhile: then nothing changes.
        _NcItemData* record = FindBySerial(records_, serial);
        if (!record) return;
        ShowUploadText(*record, text);
        if (accepted) SetRecordUploaded(recordDb_, key);
      },
      Qt::QueuedConnection);
}

void MainFrameWnd::ShowUploadMessage(const String& text, bool error) {
  const QString message = ToQString(text);
  QMetaObject::invokeMethod(
      this,
      [this, message, error] {
        ShowMessageBox(this, message, error ? MessageKind::kError : MessageKind::kInformation);
      },
      Qt::QueuedConnection);
}

void MainFrameWnd::StopUpload() {
  if (uploadAbort_) uploadAbort_->Request();
  uploadThread_.Wait(Thread::kInfinite);
  uploadThread_.Close();
}

void MainFrameWnd::OpenTracePage() {
  auto* edit = root_->findChild<QLineEdit*>("EditCode");
  edit->selectAll();
  const QString address = ToQString(settings_.queryUrl) + edit->text();
  OpenUrl(address);
}

#include "upload/upload_request.h"

#include <sys/socket.h>

std::vector<UploadRecord> TakeUploadSnapshot(ObjectList<_NcItemData>& records, RecordDb& db) {
  std::vector<UploadRecord> out;
  for (uint32_t i = records.Count(); i-- > 0;) {
    const _NcItemData& r = records[i];
    if (!r.selected) continue;
    Json doc;
    if (!db.GetJson(r.key, doc)) continue;
    UploadRecord u;
    u.serial = r.serial;
    u.key = r.key;
    u.uid = r.uid;
    for (int c = 0; c < 15; ++c) u.columns[c] = r.columns[c];
    u.data = doc.PropertyStr(u"data", u"");
    out.push_back(std::move(u));
  }
  return out;
}

void UploadAbort::Request() {
  requested_ = true;
  std::lock_guard<std::mutex> lock(mutex_);
  if (socket_ >= 0) ::shutdown(socket_, SHUT_RDWR);
}

void UploadAbort::Attach(int socket) {
  std::lock_guard<std::mutex> lock(mutex_);
  socket_ = socket;
  if (requested_) ::shutdown(socket_, SHUT_RDWR);
}

void UploadAbort::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  socket_ = -1;
}

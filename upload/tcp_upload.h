#pragma once

#include <cstdint>
#include <vector>

#include "base/string.h"
#include "upload/upload_request.h"

struct TcpUploadSettings {
  String host;  // empty: this machine
  uint16_t port = 3620;
  uint8_t deviceId[8] = {};
};

// One TCP upload, run on the calling worker thread: connect, send the header
// and one frame per record (in the given order), read the server's reply lines
// on a second thread meanwhile, wait up to 5 s after the last frame for the
// rest, then report "已成功上传 %d 条数据!". Failures are reported through the
// host. The reply reader has always ended when this returns.
void RunTcpUpload(const TcpUploadSettings& settings, const std::vector<UploadRecord>& records,
                  UploadHost& host, UploadAbort& abort);

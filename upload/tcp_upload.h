#pragma once

#include <cstdint>
#include <vector>

#include "base/string.h"
#include "upload/upload_request.h"

struct TcpUploadSettings {
  String host;  // empty: this machine
  uint16_t port = 3620;
  uint8_t deviceId[8] = {};      // for records that carry no device ID of their own
  int connectTimeoutMs = 10000;  // resolving and connecting
  // How long the server may stay silent: while frames go out, neither taking
  // bytes nor answering; after the last frame, sending nothing.
  int idleTimeoutMs = 5000;
};

// One TCP upload, run on the calling worker thread: connect, send the header
// and one frame per record (in the given order) while reading the server's
// reply lines, then keep reading until every sent frame has been answered or
// the server has been silent for the idle time-out; the result goes to
// host.ShowUploadResult. Failures are reported through the host; an abort
// ends everything within a few tens of milliseconds and reports nothing.
// Records captured under several device IDs go in one connection per ID, each
// with its own header, in the order their IDs first appear; one report for all.
void RunTcpUpload(const TcpUploadSettings& settings, const std::vector<UploadRecord>& records,
                  UploadHost& host, UploadAbort& abort);

#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/string.h"

// The inspection server's TCP protocol, client side, without sockets.
//   client → server: 0x26 0xAF + 8 device ID bytes, then one 179-byte detector
//                    frame (":NC" + the record text in GBK) per record;
//   server → client: lines "<uid>:<status>" ended by LF; the status "ok"
//                    accepts the record. A CR before the LF is part of the status.

std::string BuildUploadHeader(const uint8_t deviceId[8]);

// ":NC" + `data` in GBK when that is exactly 179 bytes; false otherwise (the
// record is then not sent).
bool BuildUploadFrame(const String& data, std::string& frame);

// Cuts the server's byte stream into lines the way the client's 128-byte
// buffer does: a line is handed out when its LF arrives; 128 bytes without an
// LF is an error (the server sent something else).
class ReplyLineBuffer {
 public:
  static constexpr size_t kCapacity = 128;
  // Room left for the next receive.
  size_t Room() const { return kCapacity - fill_.size(); }
  // Adds received bytes (at most Room()) and returns the complete lines.
  std::vector<std::string> Add(const char* bytes, size_t count);
  bool Overflowed() const { return fill_.size() >= kCapacity; }

 private:
  std::string fill_;
};

// The records sent so far, found by uid (the first sent wins). One thread.
class SentRecords {
 public:
  void Add(const String& uid, size_t index);
  // The index of the first record sent with exactly this uid, or -1.
  long Find(const String& uid) const;
  size_t Count() const;

 private:
  std::unordered_map<std::u16string, size_t> byUid_;
  size_t count_ = 0;
};

// One reply line split into uid and status; false for an empty line or one
// without ':'.
bool SplitReplyLine(const std::string& line, String& uid, String& status);

#include "upload/tcp_protocol.h"

std::string BuildUploadHeader(const uint8_t deviceId[8]) {
  std::string header = "\x26\xAF";
  header.append(reinterpret_cast<const char*>(deviceId), 8);
  return header;
}

bool BuildUploadFrame(const String& data, std::string& frame) {
  const std::string bytes = data.ToBytes(cp::kGbk);
  if (bytes.size() + 3 != 179) return false;
  frame = ":NC" + bytes;
  return true;
}

std::vector<std::string> ReplyLineBuffer::Add(const char* bytes, size_t count) {
  fill_.append(bytes, count < Room() ? count : Room());
  std::vector<std::string> lines;
  for (size_t lf; (lf = fill_.find('\n')) != std::string::npos;) {
    lines.push_back(fill_.substr(0, lf));
    fill_.erase(0, lf + 1);
  }
  return lines;
}

void SentRecords::Add(const String& uid, size_t index) {
  byUid_.emplace(uid.ToStd(), index);  // an earlier record with the same uid stays
  ++count_;
}

long SentRecords::Find(const String& uid) const {
  auto it = byUid_.find(uid.ToStd());
  return it == byUid_.end() ? -1 : static_cast<long>(it->second);
}

size_t SentRecords::Count() const { return count_; }

bool SplitReplyLine(const std::string& line, String& uid, String& status) {
  const String text = String::FromBytes(line, cp::kAnsi);
  const int colon = text.Find(u":");
  if (text.IsEmpty() || colon < 0) return false;
  uid = text.Left(colon);
  status = text.Mid(colon + 1);
  return true;
}

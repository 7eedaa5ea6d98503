#include "store/operations_log.h"

#include <cryptopp/sha.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "base/calendar.h"
#include "base/file_io.h"
#include "base/system_user.h"

namespace {

std::string Hex(const CryptoPP::byte* bytes, size_t count) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < count; ++i) {
    hex += digits[bytes[i] >> 4];
    hex += digits[bytes[i] & 15];
  }
  return hex;
}

// The hash of a line: over the previous line's hash and the line's text
// before its hash.
std::string ChainHash(const std::string& previous, const std::string& body) {
  const std::string input = previous + "\n" + body;
  CryptoPP::byte digest[CryptoPP::SHA256::DIGESTSIZE];
  CryptoPP::SHA256().CalculateDigest(digest, reinterpret_cast<const CryptoPP::byte*>(input.data()),
                                     input.size());
  return Hex(digest, sizeof digest);
}

std::string Field(const String& text) {
  std::string bytes = text.ToBytes(cp::kUtf8);
  for (char& c : bytes) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return bytes;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

std::vector<std::string> Lines(const std::string& path) {
  std::string bytes;
  std::vector<std::string> lines;
  if (!ReadWholeFile(path, bytes, nullptr, size_t{1} << 30)) return lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

bool OperationsLog::ReadTail() {
  if (tailRead_) return true;
  const std::vector<std::string> lines = Lines(path_);
  if (!lines.empty()) {
    const std::vector<std::string> fields = SplitTabs(lines.back());
    if (fields.size() != 6) return false;  // a torn last line: appending would hide it
    lastNumber_ = std::strtoull(fields[0].c_str(), nullptr, 10);
    lastHash_ = fields[5];
  }
  tailRead_ = true;
  return true;
}

Status OperationsLog::Append(const String& operation, const String& details) {
  return Append(LocalNowText(), operation, details);
}

Status OperationsLog::Append(const String& time, const String& operation, const String& details) {
  if (!ReadTail()) {
    return Status::FailedUtf8("操作记录 " + path_ + " 的最后一行不完整，请检查这个文件");
  }
  const std::string body = std::to_string(lastNumber_ + 1) + "\t" + Field(time) + "\t" +
                           SystemUserName() + "\t" + Field(operation) + "\t" + Field(details);
  const std::string hash = ChainHash(lastHash_, body);
  if (!AppendDurably(path_, body + "\t" + hash + "\n")) {
    return Status::FailedUtf8("无法写入操作记录 " + path_ + "：" + std::strerror(errno));
  }
  ++lastNumber_;
  lastHash_ = hash;
  return Status::Ok();
}

std::vector<LogLine> ReadOperationsLog(const std::string& path) {
  std::vector<LogLine> out;
  for (const std::string& line : Lines(path)) {
    std::vector<std::string> f = SplitTabs(line);
    f.resize(6);
    out.push_back(LogLine{f[0], f[1], f[2], f[3], f[4]});
  }
  return out;
}

LogVerdict VerifyOperationsLog(const std::string& path) {
  LogVerdict verdict;
  std::string previous;
  unsigned long long expected = 1;
  const std::vector<std::string> lines = Lines(path);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<std::string> f = SplitTabs(lines[i]);
    const auto broken = [&](const std::string& why) {
      verdict.ok = false;
      verdict.line = i + 1;
      verdict.problem = why;
      return verdict;
    };
    if (f.size() != 6) return broken("这一行的格式不对（被改动或插入）");
    const unsigned long long number = std::strtoull(f[0].c_str(), nullptr, 10);
    if (number > expected) {
      return broken("这一行之前缺少第 " + std::to_string(expected) +
                    (number - 1 > expected ? " 至 " + std::to_string(number - 1) : std::string()) +
                    " 条记录（被删除）");
    }
    if (number < expected) return broken("这一行的序号重复（被插入）");
    const std::string body = lines[i].substr(0, lines[i].rfind('\t'));
    if (ChainHash(previous, body) != f[5])
      return broken("这一行的内容与校验值不符（被改动或插入）");
    previous = f[5];
    ++expected;
  }
  return verdict;
}

Status LogOperationOf(const std::string& storageFolder, const std::string& operation,
                      const std::string& details) {
  OperationsLog log(OperationsLog::PathFor(storageFolder));
  return log.Append(String::FromBytes(operation, cp::kUtf8), String::FromBytes(details, cp::kUtf8));
}

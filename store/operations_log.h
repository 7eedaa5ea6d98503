#pragma once

#include <string>
#include <vector>

#include "base/status.h"
#include "base/string.h"

// The station's operations log: one line per operation (a delete, an upload,
// a print run, an export, a settings change ...) appended beside the database,
// never edited or shortened. A line is
//   <number> TAB <yyyy-MM-dd HH:mm:ss> TAB <system user> TAB <operation> TAB
//   <details> TAB <hash>
// in UTF-8, where the hash is SHA-256 (hex) over the previous line's hash and
// this line up to its last tab: a line changed, removed or inserted breaks
// the chain from there on. Plain logic; one writer at a time (UI thread).
class OperationsLog {
 public:
  static std::string PathFor(const std::string& storageFolder) {
    return storageFolder + "-operations.log";
  }

  explicit OperationsLog(std::string path) : path_(std::move(path)) {}

  // Appends one line and flushes it to disk before returning. Tabs and line
  // ends in the texts become spaces.
  Status Append(const String& operation, const String& details);
  // The same with the time given ("yyyy-MM-dd HH:mm:ss"); tests fix it.
  Status Append(const String& time, const String& operation, const String& details);

  const std::string& Path() const { return path_; }

 private:
  // The last line's number and hash, read from the file once.
  bool ReadTail();

  std::string path_;
  bool tailRead_ = false;
  unsigned long long lastNumber_ = 0;
  std::string lastHash_;
};

// Appends one line to the log beside the database in `storageFolder` (the
// command-line tools' operations); texts in UTF-8.
Status LogOperationOf(const std::string& storageFolder, const std::string& operation,
                      const std::string& details);

// One line of the log as a person reads it.
struct LogLine {
  std::string number, time, user, operation, details;
};

// The log's lines, oldest first (an unreadable or missing file: none).
std::vector<LogLine> ReadOperationsLog(const std::string& path);

// The chain checked from the first line: ok, or the first line (1-based)
// that was changed, removed or inserted, with what is wrong (Chinese).
struct LogVerdict {
  bool ok = true;
  size_t line = 0;
  std::string problem;
};
LogVerdict VerifyOperationsLog(const std::string& path);

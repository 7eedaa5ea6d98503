#pragma once

#include <string>
#include <utility>

#include "base/string.h"

// The outcome of a library call that can fail: success, or why not. The
// reason is the program's own Chinese text (with the object it concerns:
// the file, the port, the server), or a library's text as it came (leveldb's
// "IO error: ..."). It belongs to the call that returned it; ignoring it
// does not compile.
struct [[nodiscard]] Status {
  bool ok = false;
  String text;  // empty when ok

  explicit operator bool() const { return ok; }
  static Status Ok() { return Status{true, String(u"")}; }
  static Status Failed(String why) { return Status{false, std::move(why)}; }
  static Status FailedUtf8(const std::string& why) {
    return Failed(String::FromBytes(why, cp::kUtf8));
  }
};

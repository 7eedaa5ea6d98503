#include "base/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "base/code_page.h"
#include "base/string.h"

namespace {

std::mutex& OutputLock() {
  static std::mutex lock;
  return lock;
}

void WriteLine(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(OutputLock());
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fwrite("\r\n", 1, 2, stderr);
  std::fflush(stderr);
}

}  // namespace

bool TraceEnabled() {
  static const bool enabled = std::getenv("RESIDUE_TRACE") != nullptr;
  return enabled;
}

void Trace(const char16_t* format, ...) {
  if (!TraceEnabled()) return;
  String text;
  va_list args;
  va_start(args, format);
  text.FormatV(format, args);
  va_end(args);
  WriteLine(cp::Utf16ToUtf8(text.ToStd()));
}

void TraceA(const char* format, ...) {
  if (!TraceEnabled()) return;
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? n : 0, '\0');
  if (n > 0) std::vsnprintf(&text[0], n + 1, format, args);
  va_end(args);
  WriteLine(text);
}

#include <windows.h>

#include "base/executable_path.h"
#include "base/win_text.h"

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) return Utf8FromWide(path.data(), n);
    path.resize(path.size() * 2);  // cut short: a longer path
  }
}

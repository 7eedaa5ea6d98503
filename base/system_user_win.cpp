#include <windows.h>

#include "base/system_user.h"
#include "base/win_text.h"

std::string SystemUserName() {
  wchar_t name[257];
  DWORD length = sizeof name / sizeof name[0];
  if (!::GetUserNameW(name, &length) || length == 0) return "?";
  return Utf8FromWide(name, length - 1);  // the length counts the final NUL
}

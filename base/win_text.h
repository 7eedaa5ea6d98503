#pragma once

#include <string>

// UTF-8 (the program's paths and texts) to and from the wide strings of the
// Windows API. Windows builds only.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const wchar_t* text, size_t length);
inline std::string Utf8FromWide(const std::wstring& text) {
  return Utf8FromWide(text.data(), text.size());
}
// The system's text of a Windows error code (GetLastError, WSAGetLastError).
std::string WindowsErrorText(unsigned long code);
// The errno value closest to a Windows error code, for callers that report
// file problems by errno (DiskProblemText).
int ErrnoFromWindows(unsigned long code);
// Sets errno from GetLastError() and returns false, for one-line failures.
bool FailWithLastError();

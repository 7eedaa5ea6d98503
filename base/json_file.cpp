// Json documents in files: pretty text in the ANSI code page, no byte-order mark.

#include "base/code_page.h"
#include "base/file_io.h"
#include "base/json.h"

bool Json::LoadFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  Reset();
  if (bytes.empty()) return true;
  return ParseMbs(bytes.data(), static_cast<int>(bytes.size()));
}

bool Json::SaveFile(const std::string& path) const {
  std::string bytes = ToText(true).ToBytes(cp::kAnsi);
  return !bytes.empty() && ReplaceFileContent(path, bytes);
}

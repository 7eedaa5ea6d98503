#pragma once

#include <filesystem>
#include <string>

// The program's file names are UTF-8 strings. std::filesystem on Windows reads
// a narrow string in the C library's locale, byte by byte, not as UTF-8, so
// every path made from a string goes through here; a path's .string() gives
// UTF-8 back on every system.
inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::u8path(utf8);
}

#pragma once

#include <cstddef>
#include <string>

// GBK (code page 936) conversion, the one code page the program needs that is
// not written by hand. Implementations: gbk_codec_posix.cpp (iconv). Safe on
// any thread.
namespace cp {

// UTF-16 to GBK; a character GBK lacks becomes one '?'.
void EncodeGbk(const char16_t* text, size_t length, std::string& out);
// GBK to UTF-16; an invalid or truncated byte becomes U+FFFD and decoding
// goes on after it.
void DecodeGbk(const char* bytes, size_t length, std::u16string& out);

}  // namespace cp

#pragma once

#include <cstddef>
#include <string>

// Conversions between UTF-16 text and the 8-bit code pages the program meets:
// GBK (code page 936) for detector frames, the database, the printer and the TCP
// upload; UTF-8 for hashes and HTTP bodies. The "ANSI code page" of settings and
// export files is GBK on every platform, so files match those of a Chinese PC.
// Plain functions, safe on any thread.

namespace cp {

constexpr unsigned kGbk = 936;
constexpr unsigned kUtf8 = 65001;
constexpr unsigned kAnsi = 3;  // the thread's ANSI code page; resolves to kGbk

// Converts UTF-16 text to the code page. Characters the code page lacks become
// '?', as the Windows converter does with its default character. Fails (false,
// `out` unchanged) only for an unknown code page.
bool FromUtf16(const char16_t* text, size_t length, unsigned codePage, std::string& out);

// Converts 8-bit text to UTF-16. A byte that does not start a valid character
// becomes U+FFFD and decoding goes on with the next byte, so nothing after a
// bad byte is lost. Fails only for an unknown code page.
bool ToUtf16(const char* bytes, size_t length, unsigned codePage, std::u16string& out);

// Appends the GBK bytes of `text` to `out`, as FromUtf16 converts it.
void AppendGbk(const char16_t* text, size_t length, std::string& out);

// Shorthands for the conversions that cannot fail.
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& bytes);
std::string Utf16ToGbk(const std::u16string& text);
std::u16string GbkToUtf16(const std::string& bytes);

}  // namespace cp

#include <windows.h>

#include "base/gbk_codec.h"

namespace cp {
namespace {

constexpr UINT kGbk = 936;
constexpr char16_t kReplacement = 0xFFFD;

const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// Converts `length` bytes that must all be valid; false when one is not.
bool DecodeValid(const char* bytes, size_t length, std::u16string& out) {
  if (length == 0) return true;
  const int n = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length),
                                      nullptr, 0);
  if (n <= 0) return false;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(n));
  ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(length),
                        reinterpret_cast<wchar_t*>(&out[at]), n);
  return true;
}

// Converts UTF-16 that must all have a GBK form; false when a character lacks one.
bool EncodeValid(const char16_t* text, size_t length, std::string& out) {
  if (length == 0) return true;
  BOOL defaulted = FALSE;
  const int n = ::WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, Wide(text),
                                      static_cast<int>(length), nullptr, 0, nullptr, &defaulted);
  if (n <= 0 || defaulted) return false;
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(n));
  ::WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, Wide(text), static_cast<int>(length), &out[at],
                        n, nullptr, nullptr);
  return true;
}

}  // namespace

// The whole text in one call when it converts cleanly (nearly always);
// otherwise character by character, so that each bad one is replaced alone
// and the rest converts as before.
void EncodeGbk(const char16_t* text, size_t length, std::string& out) {
  out.clear();
  if (EncodeValid(text, length, out)) return;
  out.clear();
  for (size_t i = 0; i < length;) {
    size_t units = 1;
    if (i + 1 < length && text[i] >= 0xD800 && text[i] < 0xDC00 && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      units = 2;
    }
    if (text[i] < 0x80) {
      out += static_cast<char>(text[i]);
    } else if (!EncodeValid(text + i, units, out)) {
      out += '?';
    }
    i += units;
  }
}

void DecodeGbk(const char* bytes, size_t length, std::u16string& out) {
  out.clear();
  if (DecodeValid(bytes, length, out)) return;
  out.clear();
  for (size_t i = 0; i < length;) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    if (DecodeValid(bytes + i, 1, out)) {  // 0x80: the euro sign
      ++i;
      continue;
    }
    if (i + 1 < length && DecodeValid(bytes + i, 2, out)) {
      i += 2;
      continue;
    }
    out += kReplacement;  // invalid or cut short: one byte, then on after it
    ++i;
  }
}

}  // namespace cp

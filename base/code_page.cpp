#include "base/code_page.h"

#include <atomic>

#include "base/gbk_codec.h"

namespace cp {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsKnown(unsigned codePage) {
  return codePage == kGbk || codePage == kUtf8 || codePage == kAnsi;
}

bool IsUtf8(unsigned codePage) { return codePage == kUtf8; }

// Writes c as UTF-8 at p and returns the position after it.
char* PutUtf8(char32_t c, char* p) {
  if (c < 0x80) {
    *p++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *p++ = static_cast<char>(0xC0 | (c >> 6));
    *p++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *p++ = static_cast<char>(0xE0 | (c >> 12));
    *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *p++ = static_cast<char>(0xF0 | (c >> 18));
    *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *p++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return p;
}

// Reads one code point at text[i], advancing i; a lone surrogate is returned as it is.
char32_t NextCodePoint(const char16_t* text, size_t length, size_t& i) {
  char32_t c = text[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < length && text[i] >= 0xDC00 && text[i] < 0xE000) {
    c = 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return c;
}

void EncodeUtf8(const char16_t* text, size_t length, std::string& out) {
  out.resize(length * 3);  // a UTF-16 unit never needs more than three bytes
  char* begin = &out[0];
  char* p = begin;
  for (size_t i = 0; i < length;) {
    char32_t c = NextCodePoint(text, length, i);
    if (c >= 0xD800 && c < 0xE000) c = kReplacement;
    p = PutUtf8(c, p);
  }
  out.resize(p - begin);
}

void AppendUtf16(char32_t c, std::u16string& out) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

void DecodeUtf8(const unsigned char* s, size_t length, std::u16string& out) {
  out.clear();
  out.reserve(length);
  size_t i = 0;
  while (i < length) {
    unsigned char b = s[i];
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
      continue;
    }
    int extra = b >= 0xF5 ? -1 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
    char32_t c = extra == 3 ? (b & 0x07) : extra == 2 ? (b & 0x0F) : (b & 0x1F);
    bool ok = extra > 0 && i + extra < length;
    for (int k = 1; ok && k <= extra; ++k) {
      if ((s[i + k] & 0xC0) != 0x80)
        ok = false;
      else
        c = (c << 6) | (s[i + k] & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (ok && ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) ||
               (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))) {
      ok = false;
    }
    if (!ok) {
      out += kReplacement;
      ++i;
      continue;
    }
    AppendUtf16(c, out);
    i += extra + 1;
  }
}

// GBK and UTF-8 agree with ASCII, so pure ASCII text (most record values and
// settings keys) is converted without iconv and its lock.
bool NarrowAscii(const char16_t* text, size_t length, std::string& out) {
  for (size_t i = 0; i < length; ++i) {
    if (text[i] >= 0x80) return false;
  }
  out.assign(length, '\0');
  for (size_t i = 0; i < length; ++i) out[i] = static_cast<char>(text[i]);
  return true;
}

bool WidenAscii(const char* bytes, size_t length, std::u16string& out) {
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  }
  out.assign(length, u'\0');
  for (size_t i = 0; i < length; ++i) out[i] = static_cast<char16_t>(bytes[i]);
  return true;
}

// The GBK bytes of each UTF-16 unit outside the surrogates, learnt from the
// converter on first use: 0 while unknown, otherwise the byte count in bits
// 16 and up and the bytes below. GBK is stateless, so a text converts unit by
// unit exactly as it converts whole.
std::atomic<uint32_t> gbkOfUnit[0x10000];

uint32_t GbkOfUnit(char16_t c) {
  uint32_t known = gbkOfUnit[c].load(std::memory_order_relaxed);
  if (known) return known;
  std::string bytes;
  EncodeGbk(&c, 1, bytes);
  if (bytes.size() == 1) {
    known = (1u << 16) | static_cast<unsigned char>(bytes[0]);
  } else if (bytes.size() == 2) {
    known = (2u << 16) | (static_cast<unsigned char>(bytes[0]) << 8) |
            static_cast<unsigned char>(bytes[1]);
  } else {
    known = (1u << 16) | '?';
  }
  gbkOfUnit[c].store(known, std::memory_order_relaxed);
  return known;
}

void EncodeGbkMostlyAscii(const char16_t* text, size_t length, std::string& out) {
  out.clear();
  out.reserve(length + length / 4);
  AppendGbk(text, length, out);
}

}  // namespace

bool FromUtf16(const char16_t* text, size_t length, unsigned codePage, std::string& out) {
  if (!IsKnown(codePage)) return false;
  if (NarrowAscii(text, length, out)) return true;
  if (IsUtf8(codePage)) {
    EncodeUtf8(text, length, out);
  } else {
    EncodeGbkMostlyAscii(text, length, out);
  }
  return true;
}

bool ToUtf16(const char* bytes, size_t length, unsigned codePage, std::u16string& out) {
  if (!IsKnown(codePage)) return false;
  if (WidenAscii(bytes, length, out)) return true;
  if (IsUtf8(codePage)) {
    DecodeUtf8(reinterpret_cast<const unsigned char*>(bytes), length, out);
  } else {
    DecodeGbk(bytes, length, out);
  }
  return true;
}

void AppendGbk(const char16_t* text, size_t length, std::string& out) {
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c >= 0xD800 && c < 0xE000) {
      // GBK has nothing outside the first plane: one '?' for a pair or a lone half.
      if (c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) ++i;
      out.push_back('?');
    } else {
      const uint32_t known = GbkOfUnit(c);
      if (known >> 16 == 2) out.push_back(static_cast<char>((known >> 8) & 0xFF));
      out.push_back(static_cast<char>(known & 0xFF));
    }
  }
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  FromUtf16(text.data(), text.size(), kUtf8, out);
  return out;
}

std::u16string Utf8ToUtf16(const std::string& bytes) {
  std::u16string out;
  ToUtf16(bytes.data(), bytes.size(), kUtf8, out);
  return out;
}

std::string Utf16ToGbk(const std::u16string& text) {
  std::string out;
  FromUtf16(text.data(), text.size(), kGbk, out);
  return out;
}

std::u16string GbkToUtf16(const std::string& bytes) {
  std::u16string out;
  ToUtf16(bytes.data(), bytes.size(), kGbk, out);
  return out;
}

}  // namespace cp

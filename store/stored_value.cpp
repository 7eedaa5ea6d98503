#include "store/stored_value.h"

#include <cstring>

#include "base/code_page.h"

namespace {

constexpr char kHead[] = "{\"data\":\"";
constexpr char kSelected[] = "\",\"selected\":";
constexpr char kUploaded[] = ",\"uploaded\":";

// The escape letter the writer uses for a unit, or 0 when it writes it as it is.
constexpr char EscapeLetter(char16_t c) {
  switch (c) {
    case 0x08:
      return 'b';
    case 0x0D:
      return 'r';
    case 0x0A:
      return 'n';
    case u'"':
      return '"';
    case 0x0C:
      return 'f';
    case u'\\':
      return '\\';
    case 0x09:
      return 't';
    case u'/':
      return '/';
    default:
      return 0;
  }
}

char16_t Unescaped(char letter) {
  switch (letter) {
    case 'b':
      return 0x08;
    case 'r':
      return 0x0D;
    case 'n':
      return 0x0A;
    case 'f':
      return 0x0C;
    case 't':
      return 0x09;
    default:
      return static_cast<char16_t>(letter);  // '"', '\\', '/'
  }
}

int Hex(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : -1;
}

void PutUnit(char16_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The ASCII bytes the writer writes as they are and the reader copies as
// they are: everything but '"', '\\', the escaped controls, U+0000 and
// bytes past ASCII.
struct OrdinaryBytes {
  bool table[256] = {};
  constexpr OrdinaryBytes() {
    for (int c = 1; c < 0x80; ++c) table[c] = EscapeLetter(static_cast<char16_t>(c)) == 0;
  }
  bool operator[](unsigned char c) const { return table[c]; }
};
constexpr OrdinaryBytes kOrdinary;

bool Take(const char*& p, const char* end, const char* word) {
  const size_t n = std::strlen(word);
  if (static_cast<size_t>(end - p) < n || std::memcmp(p, word, n) != 0) return false;
  p += n;
  return true;
}

bool TakeBool(const char*& p, const char* end, bool& value) {
  if (Take(p, end, "true")) return value = true;
  if (Take(p, end, "false")) return !(value = false);
  return false;
}

}  // namespace

bool ReadStoredValue(const char* bytes, size_t length, StoredValue& value) {
  const char* p = bytes;
  const char* end = bytes + length;
  if (!Take(p, end, kHead)) return false;
  std::string& text = value.text;
  text.clear();
  bool plain = true;
  for (;;) {
    // Most bytes are copied as they are: a run up to the next byte that needs a look.
    const char* run = p;
    while (p != end && kOrdinary[static_cast<unsigned char>(*p)]) ++p;
    text.append(run, static_cast<size_t>(p - run));
    if (p == end) return false;
    const char c = *p++;
    if (c == '"') break;
    if (c <= 0) return false;  // U+0000 and bytes past ASCII: the full parser decides
    if (c != '\\') {
      plain = plain && EscapeLetter(static_cast<char16_t>(c)) == 0;
      text.push_back(c);
      continue;
    }
    if (p == end) return false;
    const char letter = *p++;
    if (letter != 'u') {
      if (!std::strchr("brn/\"f\\t", letter)) return false;
      text.push_back(static_cast<char>(Unescaped(letter)));
      continue;
    }
    if (end - p < 4) return false;
    unsigned unit = 0;
    for (int k = 0; k < 4; ++k) {
      const int digit = Hex(p[k]);
      if (digit < 0) return false;
      plain = plain && !(p[k] >= 'A' && p[k] <= 'F');
      unit = unit * 16 + static_cast<unsigned>(digit);
    }
    if (unit == 0) return false;
    plain = plain && unit > 0x100;
    p += 4;
    PutUnit(static_cast<char16_t>(unit), text);
  }
  if (!Take(p, end, kSelected + 1) || !TakeBool(p, end, value.selected)) return false;
  if (!Take(p, end, kUploaded) || !TakeBool(p, end, value.uploaded)) return false;
  if (!Take(p, end, "}") || p != end) return false;
  value.plain = plain;
  return true;
}

void MakeStoredValue(std::string_view text, bool selected, bool uploaded, std::string& out) {
  static const char kHex[] = "0123456789abcdef";
  out.assign(kHead);
  out.reserve(text.size() + text.size() / 2 + 48);
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const size_t run = i;
    while (i < n && kOrdinary[s[i]]) ++i;
    out.append(text.data() + run, i - run);
    if (i == n) break;
    const unsigned char b = s[i];
    char16_t c;
    if (b < 0x80) {
      c = b;
      i += 1;
    } else if (b < 0xE0) {
      c = static_cast<char16_t>(((b & 0x1F) << 6) | (s[i + 1] & 0x3F));
      i += 2;
    } else {
      c = static_cast<char16_t>(((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F));
      i += 3;
    }
    if (c == 0) continue;  // the writer drops U+0000
    if (c > 0x100) {
      const char escaped[6] = {'\\', 'u', kHex[c >> 12], kHex[(c >> 8) & 15], kHex[(c >> 4) & 15],
                               kHex[c & 15]};
      out.append(escaped, 6);
    } else if (const char letter = EscapeLetter(c)) {
      out.push_back('\\');
      out.push_back(letter);
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      std::string gbk;
      cp::FromUtf16(&c, 1, cp::kGbk, gbk);
      out += gbk;
    }
  }
  out += kSelected;
  out += selected ? "true" : "false";
  out += kUploaded;
  out += uploaded ? "true" : "false";
  out += '}';
}

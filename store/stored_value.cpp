#include "store/stored_value.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/json.h"

namespace {

constexpr char kHead[] = "{\"data\":\"";
constexpr char kSelected[] = "\",\"selected\":";
constexpr char kUploaded[] = ",\"uploaded\":";
constexpr char kDeviceId[] = ",\"deviceid\":\"";
constexpr char kHex[] = "0123456789abcdef";

// The escape letter the compact writer uses for a unit, or 0 when it writes
// the unit as it is.
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

bool IsEscapeLetter(char c) {
  switch (c) {
    case 'b':
    case 'r':
    case 'n':
    case '/':
    case '"':
    case 'f':
    case '\\':
    case 't':
      return true;
    default:
      return false;
  }
}

// Four lower-case hexadecimal digits as the writer writes them, or -1.
struct LowerHexDigits {
  signed char value[256] = {};
  constexpr LowerHexDigits() {
    for (int c = 0; c < 256; ++c) value[c] = -1;
    for (int c = '0'; c <= '9'; ++c) value[c] = static_cast<signed char>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) value[c] = static_cast<signed char>(c - 'a' + 10);
  }
};
constexpr LowerHexDigits kLowerHex;

int HexUnit(const char* p) {
  const int a = kLowerHex.value[static_cast<unsigned char>(p[0])];
  const int b = kLowerHex.value[static_cast<unsigned char>(p[1])];
  const int c = kLowerHex.value[static_cast<unsigned char>(p[2])];
  const int d = kLowerHex.value[static_cast<unsigned char>(p[3])];
  if ((a | b | c | d) < 0) return -1;
  return (a << 12) | (b << 8) | (c << 4) | d;
}

// The ASCII bytes that stand for themselves in a stored form: all but '"',
// '\\', the escaped controls, U+0000 and bytes past ASCII.
struct OrdinaryBytes {
  bool table[256] = {};
  constexpr OrdinaryBytes() {
    for (int c = 1; c < 0x80; ++c) table[c] = EscapeLetter(static_cast<char16_t>(c)) == 0;
  }
  bool operator[](unsigned char c) const { return table[c]; }
};
constexpr OrdinaryBytes kOrdinary;

// The first byte from `p` that is not ordinary, or `end`; sixteen at a time
// where the processor allows.
const char* SkipOrdinary(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i slash = _mm_set1_epi8('/');
  const __m128i space = _mm_set1_epi8(0x20);
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Controls and bytes past ASCII (negative as signed) below the space.
    const __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, quote), _mm_cmpeq_epi8(v, backslash)),
                     _mm_or_si128(_mm_cmpeq_epi8(v, slash), _mm_cmplt_epi8(v, space)));
    const int mask = _mm_movemask_epi8(special);
    if (mask != 0) {
      p += __builtin_ctz(static_cast<unsigned>(mask));
      break;
    }
    p += 16;
  }
#endif
  while (p != end && kOrdinary[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

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

void EscapeText(const char16_t* text, size_t length, std::string& form, bool& exact) {
  form.resize(length * 6);
  char* out = form.data();
  exact = true;
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if (c < 0x80 && kOrdinary[static_cast<unsigned char>(c)]) {
      *out++ = static_cast<char>(c);
    } else if (const char letter = EscapeLetter(c)) {
      *out++ = '\\';
      *out++ = letter;
    } else {
      exact = exact && c > 0x100;
      const char escaped[6] = {
          '\\', 'u', kHex[c >> 12], kHex[(c >> 8) & 15], kHex[(c >> 4) & 15], kHex[c & 15]};
      std::memcpy(out, escaped, 6);
      out += 6;
    }
  }
  form.resize(static_cast<size_t>(out - form.data()));
}

void UnescapeText(std::string_view form, std::u16string& out) {
  out.resize(form.size());
  char16_t* to = out.data();
  const char* p = form.data();
  const char* end = p + form.size();
  while (p < end) {
    if (*p != '\\') {
      *to++ = static_cast<unsigned char>(*p++);
    } else if (p[1] != 'u') {
      *to++ = Unescaped(p[1]);
      p += 2;
    } else {
      *to++ = static_cast<char16_t>((Hex(p[2]) << 12) | (Hex(p[3]) << 8) | (Hex(p[4]) << 4) |
                                    Hex(p[5]));
      p += 6;
    }
  }
  out.resize(static_cast<size_t>(to - out.data()));
}

int SplitForm(std::string_view form, std::string_view* fields, int maximum) {
  if (maximum <= 0) return 0;
  int count = 0;
  size_t start = 0;
  size_t i = 0;
  const char* p = form.data();
  const size_t n = form.size();
#ifdef __SSE2__
  // Sixteen bytes at a time: every '+' of a block from one mask.
  const __m128i plus = _mm_set1_epi8('+');
  for (; i + 16 <= n; i += 16) {
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), plus)));
    while (mask) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      mask &= mask - 1;
      fields[count++] = form.substr(start, at - start);
      start = at + 1;
      if (count == maximum) return count;
    }
  }
#endif
  for (; i < n; ++i) {
    if (p[i] != '+') continue;
    fields[count++] = form.substr(start, i - start);
    start = i + 1;
    if (count == maximum) return count;
  }
  fields[count++] = form.substr(start);
  return count;
}

void FieldText(std::string_view field, std::u16string& out) {
  UnescapeText(field, out);
  size_t first = 0, last = out.size();
  while (last > first && String::IsBlank(out[last - 1])) --last;
  while (first < last && String::IsBlank(out[first])) ++first;
  out.erase(last);
  out.erase(0, first);
}

String UnescapeText(std::string_view form) {
  std::u16string text;
  UnescapeText(form, text);
  return String(text);
}

bool ReadStoredValue(const char* bytes, size_t length, StoredValue& value) {
  const char* p = bytes;
  const char* end = bytes + length;
  if (!Take(p, end, kHead)) return false;
  const char* body = p;
  bool plain = true;  // in the writer's own form
  bool exact = true;
  for (;;) {
    p = SkipOrdinary(p, end);
    if (p == end) return false;
    const char c = *p++;
    if (c == '"') break;
    if (c <= 0) return false;  // U+0000 and bytes past ASCII: the full parser decides
    if (c != '\\') {
      plain = false;  // a control the writer would have escaped, or a bare '/'
      continue;
    }
    if (p == end) return false;
    const char letter = *p++;
    if (letter != 'u') {
      if (!IsEscapeLetter(letter)) return false;
      continue;
    }
    if (end - p < 4) return false;
    int unit = HexUnit(p);
    // Chinese text is a run of escapes: take them without going back to the scan.
    while (unit > 0x100 && end - p >= 10 && p[4] == '\\' && p[5] == 'u') {
      const int next = HexUnit(p + 6);
      if (next <= 0x100) break;
      p += 6;
      unit = next;
    }
    if (unit < 0) {
      // Upper-case digits, or none: the slow way, or the full parser.
      int value = 0;
      for (int k = 0; k < 4; ++k) {
        const int digit = Hex(p[k]);
        if (digit < 0) return false;
        value = value * 16 + digit;
      }
      if (value == 0) return false;  // the full parser's text ends there
      plain = false;
      exact = exact && value > 0x100;
      p += 4;
      continue;
    }
    p += 4;
    if (unit == 0) return false;  // the full parser's text ends there
    plain = plain && unit > 0x100;
    exact = exact && unit > 0x100;
  }
  const char* bodyEnd = p - 1;
  if (!Take(p, end, kSelected + 1) || !TakeBool(p, end, value.selected)) return false;
  if (!Take(p, end, kUploaded) || !TakeBool(p, end, value.uploaded)) return false;
  value.deviceId = std::string_view();
  if (Take(p, end, kDeviceId)) {
    // The device ID the record was captured under: 16 upper-case hexadecimal digits.
    const char* id = p;
    while (p != end && ((*p >= '0' && *p <= '9') || (*p >= 'A' && *p <= 'F'))) ++p;
    if (p - id != 16 || !Take(p, end, "\"")) return false;
    value.deviceId = std::string_view(id, 16);
  }
  if (!Take(p, end, "}") || p != end) return false;
  value.plain = plain;
  value.text = std::string_view(body, static_cast<size_t>(bodyEnd - body));
  value.exact = exact;
  if (!plain) {
    // Written in another form: brought to the list's form.
    std::u16string text;
    UnescapeText(value.text, text);
    EscapeText(text.data(), text.size(), value.converted, value.exact);
    value.text = value.converted;
  }
  return true;
}

void MakeStoredValue(std::string_view form, bool exact, bool selected, bool uploaded,
                     std::string& out, std::string_view deviceId) {
  if (!exact) {
    // Units the writer treats its own way: let it write them.
    Json value;
    const String text = UnescapeText(form);
    value.SetPropertyStr(u"data", text);
    value.SetPropertyBool(u"selected", selected);
    value.SetPropertyBool(u"uploaded", uploaded);
    if (!deviceId.empty())
      value.SetPropertyStr(u"deviceid", String::FromBytes(std::string(deviceId), cp::kUtf8));
    out = value.ToText(false).ToBytes(cp::kGbk);
    return;
  }
  const size_t head = sizeof kHead - 1;
  out.resize(head + form.size() + 48 + sizeof kDeviceId + deviceId.size());
  char* p = out.data();
  std::memcpy(p, kHead, head);
  p += head;
  std::memcpy(p, form.data(), form.size());
  p += form.size();
  auto put = [&p](const char* word) {
    const size_t n = std::strlen(word);
    std::memcpy(p, word, n);
    p += n;
  };
  put(kSelected);
  put(selected ? "true" : "false");
  put(kUploaded);
  put(uploaded ? "true" : "false");
  if (!deviceId.empty()) {
    put(kDeviceId);
    std::memcpy(p, deviceId.data(), deviceId.size());
    p += deviceId.size();
    put("\"");
  }
  put("}");
  out.resize(static_cast<size_t>(p - out.data()));
}

// printf-style formatting into a UTF-16 String. Texts ("%s") are char16_t
// strings, "%hs" takes 8-bit text in the ANSI code page; numbers go through the
// C library's snprintf one conversion at a time.

#include <cstdio>
#include <cstring>
#include <string>

#include "base/c_locale.h"
#include "base/string.h"

namespace {

struct Directive {
  std::string flags;
  int width = -1;
  int precision = -1;
  std::string length;  // "", "h", "hh", "l", "ll", "z", "j", "t", "L"
  char conversion = 0;
};

void Pad(std::u16string& out, const std::u16string& body, const Directive& directive) {
  size_t width = directive.width > 0 ? size_t(directive.width) : 0;
  bool left = directive.flags.find('-') != std::string::npos;
  if (body.size() >= width) {
    out += body;
  } else if (left) {
    out += body;
    out.append(width - body.size(), u' ');
  } else {
    out.append(width - body.size(), u' ');
    out += body;
  }
}

// Formats one numeric conversion with the C library and widens the ASCII result.
template <class V>
bool FormatNumber(std::u16string& out, const Directive& directive, V value) {
  std::string format = "%" + directive.flags;
  if (directive.width >= 0) format += std::to_string(directive.width);
  if (directive.precision >= 0) format += "." + std::to_string(directive.precision);
  format += directive.length;
  format += directive.conversion;
  CLocaleScope cLocale;
  char small[128];
  int n = std::snprintf(small, sizeof small, format.c_str(), value);
  if (n < 0) return false;
  std::string text;
  if (size_t(n) < sizeof small) {
    text.assign(small, n);
  } else {
    text.resize(n + 1);
    std::snprintf(&text[0], text.size(), format.c_str(), value);
    text.resize(n);
  }
  for (char c : text) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return true;
}

// The common integer conversions ("%d", "%5d", "%02d", "%-3u") without the C
// library: formatting texts such as the location column is on the record path.
template <class V>
bool FormatPlainInteger(std::u16string& out, const Directive& directive, V value) {
  if (directive.precision >= 0 || directive.flags.find_first_not_of("-0") != std::string::npos) {
    return FormatNumber(out, directive, value);
  }
  char16_t digits[24];
  int n = 0;
  bool negative = value < 0;
  unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                          : static_cast<unsigned long long>(value);
  do {
    digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  int length = n + (negative ? 1 : 0);
  int pad = directive.width > length ? directive.width - length : 0;
  bool left = directive.flags.find('-') != std::string::npos;
  bool zeros = !left && directive.flags.find('0') != std::string::npos;
  if (!left && !zeros) out.append(pad, u' ');
  if (negative) out += u'-';
  if (zeros) out.append(pad, u'0');
  while (n) out += digits[--n];
  if (left) out.append(pad, u' ');
  return true;
}

bool FormatSigned(std::u16string& out, const Directive& directive, va_list& args) {
  const std::string& l = directive.length;
  if (l.empty()) return FormatPlainInteger(out, directive, va_arg(args, int));
  if (l == "ll") return FormatNumber(out, directive, va_arg(args, long long));
  if (l == "l") return FormatNumber(out, directive, va_arg(args, long));
  if (l == "z" || l == "t") return FormatNumber(out, directive, va_arg(args, ptrdiff_t));
  if (l == "j") return FormatNumber(out, directive, va_arg(args, intmax_t));
  return FormatNumber(out, directive, va_arg(args, int));
}

bool FormatUnsigned(std::u16string& out, const Directive& directive, va_list& args) {
  const std::string& l = directive.length;
  if (directive.conversion == 'u' && l.empty())
    return FormatPlainInteger(out, directive, va_arg(args, unsigned));
  if (l == "ll") return FormatNumber(out, directive, va_arg(args, unsigned long long));
  if (l == "l") return FormatNumber(out, directive, va_arg(args, unsigned long));
  if (l == "z" || l == "t") return FormatNumber(out, directive, va_arg(args, size_t));
  if (l == "j") return FormatNumber(out, directive, va_arg(args, uintmax_t));
  return FormatNumber(out, directive, va_arg(args, unsigned));
}

bool FormatText(std::u16string& out, const Directive& directive, va_list& args) {
  std::u16string body;
  if (directive.length == "h") {
    const char* s = va_arg(args, const char*);
    if (!s) s = "(null)";
    cp::ToUtf16(s, std::strlen(s), cp::kAnsi, body);
  } else {
    const char16_t* s = va_arg(args, const char16_t*);
    body = s ? s : u"(null)";
  }
  if (directive.precision >= 0 && body.size() > size_t(directive.precision))
    body.resize(directive.precision);
  Pad(out, body, directive);
  return true;
}

bool FormatChar(std::u16string& out, const Directive& directive, va_list& args) {
  int c = va_arg(args, int);
  char16_t ch = directive.length == "h" ? static_cast<unsigned char>(c) : static_cast<char16_t>(c);
  Pad(out, std::u16string(1, ch), directive);
  return true;
}

// Reads digits or '*' (taken from the arguments); -1 when there are none.
int ReadCount(const char16_t*& p, va_list& args) {
  if (*p == u'*') {
    ++p;
    return va_arg(args, int);
  }
  if (*p < u'0' || *p > u'9') return -1;
  int n = 0;
  while (*p >= u'0' && *p <= u'9') n = n * 10 + (*p++ - u'0');
  return n;
}

bool FormatAll(const char16_t* p, va_list& args, std::u16string& out) {
  while (*p) {
    if (*p != u'%') {
      out += *p++;
      continue;
    }
    ++p;
    if (*p == u'%') {
      out += *p++;
      continue;
    }
    Directive directive;
    while (*p && *p < 0x80 && std::strchr("-+ #0", static_cast<char>(*p))) {
      directive.flags += static_cast<char>(*p++);
    }
    directive.width = ReadCount(p, args);
    if (directive.width < -1) {  // a negative '*' width means left alignment
      directive.flags += '-';
      directive.width = -directive.width;
    }
    if (*p == u'.') {
      ++p;
      directive.precision = ReadCount(p, args);
      if (directive.precision < 0) directive.precision = 0;
    }
    if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') {
      directive.length = "ll";
      p += 3;
    } else {
      while (*p == u'h' || *p == u'l' || *p == u'z' || *p == u'j' || *p == u't' || *p == u'L') {
        directive.length += static_cast<char>(*p++);
      }
    }
    if (*p == 0 || *p >= 0x80) return false;
    directive.conversion = static_cast<char>(*p++);
    bool ok;
    switch (directive.conversion) {
      case 'd':
      case 'i':
        ok = FormatSigned(out, directive, args);
        break;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        ok = FormatUnsigned(out, directive, args);
        break;
      case 'e':
      case 'E':
      case 'f':
      case 'F':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        ok = directive.length == "L" ? FormatNumber(out, directive, va_arg(args, long double))
                                     : FormatNumber(out, directive, va_arg(args, double));
        break;
      case 'p':
        directive.length.clear();
        ok = FormatNumber(out, directive, va_arg(args, void*));
        break;
      case 's':
      case 'S':
        ok = FormatText(out, directive, args);
        break;
      case 'c':
      case 'C':
        ok = FormatChar(out, directive, args);
        break;
      default:
        ok = false;  // includes %n, which writes through a pointer
    }
    if (!ok) return false;
  }
  return true;
}

}  // namespace

bool String::Format(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  bool ok = FormatV(format, args);
  va_end(args);
  return ok;
}

bool String::FormatV(const char16_t* format, va_list args) {
  std::u16string out;
  va_list copy;
  va_copy(copy, args);
  bool ok = format && FormatAll(format, copy, out);
  va_end(copy);
  if (!ok) out.clear();
  Assign(out.data(), static_cast<uint32_t>(out.size()));
  return ok;
}

// The lenient parser: commas between elements are optional, 22 white-space
// characters are recognised, text after the root value is ignored, and a
// single-quoted value is Base64 binary.

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/base64.h"
#include "base/c_locale.h"
#include "base/code_page.h"
#include "base/json.h"

class JsonParser {
 public:
  JsonParser(const char16_t* text, int length) : s_(text), n_(length) {}

  // Parses the value at pos_ into node; false on a syntax error.
  bool Value(Json& node, int depth) {
    if (depth > kMaxDepth) return false;  // a hostile nesting depth would exhaust the stack
    char16_t c = s_[pos_];
    if (c == u'{') return Object(node, depth);
    if (c == u'[') return Array(node, depth);
    if (c == u'"') {
      String text;
      if (!QuotedText(text)) return false;
      node.MakeString(text.Handle(), text.Length());
      return true;
    }
    if (c == u'\'') return Binary(node);
    return Token(node);
  }

  void SkipSpace() {
    while (pos_ < n_ && String::IsBlank(s_[pos_])) ++pos_;
  }
  bool AtEnd() const { return pos_ >= n_; }
  int Position() const { return pos_; }

 private:
  static constexpr int kMaxDepth = 512;

  // Skips white space; false at the end of the text.
  bool SkipToNext() {
    SkipSpace();
    return !AtEnd();
  }

  bool Array(Json& node, int depth) {
    node.MakeArray();
    ++pos_;
    if (!SkipToNext()) return false;
    if (s_[pos_] == u']') {
      ++pos_;
      return true;
    }
    for (;;) {
      if (!SkipToNext()) return false;
      // An element that fails to parse is not kept.
      ObjectList<Json>& elements = *node.ArrayPayload();
      Json* element = elements.Add();
      if (!element) return false;
      if (!Value(*element, depth + 1)) {
        elements.Delete(elements.Count() - 1);
        return false;
      }
      if (!SkipToNext()) return false;
      if (s_[pos_] == u',') {
        ++pos_;
        if (AtEnd()) return false;
      } else if (s_[pos_] == u']') {
        ++pos_;
        return true;
      }
    }
  }

  bool Object(Json& node, int depth) {
    node.MakeObject();
    ++pos_;
    if (!SkipToNext()) return false;
    if (s_[pos_] == u'}') {
      ++pos_;
      return true;
    }
    for (;;) {
      if (!SkipToNext()) return false;
      if (s_[pos_] != u'"' && s_[pos_] != u'\'') return false;
      DICTION* member = node.ObjectPayload()->Add();
      if (!member || !QuotedText(member->key)) return false;
      if (!SkipToNext() || s_[pos_] != u':') return false;
      ++pos_;
      if (!SkipToNext() || !Value(*member->value, depth + 1)) return false;
      if (!SkipToNext()) return false;
      if (s_[pos_] == u',') {
        ++pos_;
      } else if (s_[pos_] == u'}') {
        ++pos_;
        return true;
      }
    }
  }

  // A double-quoted text (or a key opened by a single quote, which still ends at
  // the next unescaped double quote), unescaped. pos_ is at the opening mark.
  bool QuotedText(String& out) {
    int start = ++pos_;
    int backslashes = 0;
    while (pos_ < n_) {
      char16_t c = s_[pos_];
      if (c == u'"' && backslashes % 2 == 0) break;
      backslashes = c == u'\\' ? backslashes + 1 : 0;
      ++pos_;
    }
    if (pos_ >= n_) return false;
    Unescape(s_ + start, pos_ - start, out);
    ++pos_;
    return true;
  }

  // Replaces each escape by its character. An unknown escape, or a \u without
  // four hexadecimal characters, ends the unescaping: the rest is kept as it is.
  static void Unescape(const char16_t* raw, int length, String& out) {
    out = u"";
    out.Reserve(length);
    int i = 0;
    while (i < length) {
      int run = i;
      while (i < length && raw[i] != u'\\') ++i;
      out.Append(raw + run, i - run);
      if (i + 1 >= length) break;  // no backslash left, or a lone one at the end
      char16_t c;
      switch (raw[i + 1]) {
        case u'b':
          c = 0x08;
          break;
        case u'r':
          c = 0x0D;
          break;
        case u'n':
          c = 0x0A;
          break;
        case u'/':
          c = u'/';
          break;
        case u'"':
          c = u'"';
          break;
        case u'f':
          c = 0x0C;
          break;
        case u'\\':
          c = u'\\';
          break;
        case u't':
          c = 0x09;
          break;
        case u'u':
          if (i + 6 > length || !HexUnit(raw + i + 2, c)) {
            out.Append(raw + i, length - i);
            return;
          }
          out.Append(c);
          i += 6;
          continue;
        default:
          out.Append(raw + i, length - i);
          return;
      }
      out.Append(c);
      i += 2;
    }
    if (i < length) out.Append(raw + i, length - i);
  }

  // Four characters read as the C library reads a base-16 unsigned number;
  // all four must be consumed. Gives the low 16 bits.
  static bool HexUnit(const char16_t* four, char16_t& out) {
    char narrow[5];
    for (int k = 0; k < 4; ++k) {
      if (four[k] >= 0x80 || four[k] == 0) return false;
      narrow[k] = static_cast<char>(four[k]);
    }
    narrow[4] = 0;
    char* end;
    unsigned long v = std::strtoul(narrow, &end, 16);
    if (end != narrow + 4) return false;
    out = static_cast<char16_t>(v & 0xFFFF);
    return true;
  }

  bool Binary(Json& node) {
    int start = ++pos_;
    while (pos_ < n_ && s_[pos_] != u'\'') ++pos_;
    if (pos_ >= n_) return false;
    std::string ascii;
    cp::FromUtf16(s_ + start, pos_ - start, cp::kAnsi, ascii);
    ++pos_;
    std::string bytes = Base64Decode(ascii);
    node.MakeBinary(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return true;
  }

  bool Token(Json& node) {
    int start = pos_;
    while (pos_ < n_) {
      char16_t c = s_[pos_];
      if (String::IsBlank(c) || c == u',' || c == u'}' || c == u']') break;
      ++pos_;
    }
    std::u16string token(s_ + start, pos_ - start);
    if (token.empty()) return false;
    if (token == u"true" || token == u"false") {
      node = token == u"true";
      return true;
    }
    if (token == u"null") {
      node.Reset();
      return true;
    }
    std::string narrow;
    for (char16_t c : token) {
      if (c >= 0x80 || c == 0) return false;  // no number has such characters
      narrow += static_cast<char>(c);
    }
    CLocaleScope cLocale;
    char* end;
    errno = 0;
    long long integer = std::strtoll(narrow.c_str(), &end, 10);  // saturates when out of range
    if (*end == 0) {
      node = integer;
      return true;
    }
    double number = std::strtod(narrow.c_str(), &end);
    if (*end == 0) {
      node = number;
      return true;
    }
    return false;
  }

  const char16_t* s_;
  int n_;
  int pos_ = 0;
};

int Json::Parse(const char16_t* text, int length, int* failedAt) {
  Reset();
  if (!text || length <= 0) return 0;
  JsonParser parser(text, length);
  parser.SkipSpace();
  if (parser.AtEnd()) return length;
  if (!parser.Value(*this, 0)) {
    if (failedAt) *failedAt = std::min(parser.Position(), length);
    return -1;
  }
  return parser.Position();
}

bool Json::ParseMbs(const char* bytes, int length) {
  std::u16string text;
  if (bytes && length > 0) cp::ToUtf16(bytes, length, cp::kAnsi, text);
  return Parse(text.data(), static_cast<int>(text.size())) != -1;
}

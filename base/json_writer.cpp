// The text form of a Json tree. Pretty text (settings file, HTTP body) indents
// with one tab per level and ends lines with CR LF; compact text (database
// values) has no white space and escapes every character above U+0100.

#include <cstdio>

#include "base/base64.h"
#include "base/c_locale.h"
#include "base/json.h"

namespace {

char16_t EscapeLetter(char16_t c, bool pretty) {
  switch (c) {
    case 0x08:
      return u'b';
    case 0x0D:
      return u'r';
    case 0x0A:
      return u'n';
    case u'"':
      return u'"';
    case 0x0C:
      return u'f';
    case u'\\':
      return u'\\';
    case 0x09:
      return u't';
    case u'/':
      return pretty ? 0 : u'/';
    default:
      return 0;
  }
}

void Escape(const String& text, String& out, bool pretty) {
  static const char16_t kHex[] = u"0123456789abcdef";
  const uint32_t n = text.Length();
  const char16_t* s = text.Handle();
  out.Reserve(out.Length() + n + n / 10 + 12);
  uint32_t run = 0;  // start of the characters written as they are
  for (uint32_t i = 0; i < n; ++i) {
    const char16_t c = s[i];
    const bool wide = !pretty && c > 0x100;
    const char16_t letter = wide ? 0 : EscapeLetter(c, pretty);
    if (!wide && !letter && c != 0) continue;
    out.Append(s + run, i - run);
    run = i + 1;
    if (wide) {
      const char16_t escaped[6] = {
          u'\\', u'u', kHex[c >> 12], kHex[(c >> 8) & 15], kHex[(c >> 4) & 15], kHex[c & 15]};
      out.Append(escaped, 6);
    } else if (letter) {
      const char16_t escaped[2] = {u'\\', letter};
      out.Append(escaped, 2);
    }  // U+0000 is dropped
  }
  out.Append(s + run, n - run);
}

void AppendQuoted(const String& text, String& out, bool pretty) {
  out.Append(u'"');
  Escape(text, out, pretty);
  out.Append(u'"');
}

void AppendAscii(const char* text, String& out) {
  while (*text) out.Append(static_cast<char16_t>(*text++));
}

void PopIndent(String& indent) {
  if (indent.Length()) indent.SetLength(indent.Length() - 1);
}

}  // namespace

void Json::ToText(String& out, String& indent, bool pretty) const {
  out = u"";
  switch (type_) {
    case JsonType::kNull:
      out = u"null";
      break;
    case JsonType::kBoolean:
      out = value_.boolean ? u"true" : u"false";
      break;
    case JsonType::kInteger: {
      char digits[24];
      std::snprintf(digits, sizeof digits, "%lld", value_.integer);
      AppendAscii(digits, out);
      break;
    }
    case JsonType::kDouble: {
      char digits[64];
      {
        CLocaleScope cLocale;
        std::snprintf(digits, sizeof digits, "%#.16g", value_.number);
      }
      AppendAscii(digits, out);
      break;
    }
    case JsonType::kString:
      AppendQuoted(*value_.text, out, pretty);
      break;
    case JsonType::kBinary: {
      const Memory<uint8_t>& bytes = *value_.binary;
      out.Append(u'\'');
      AppendAscii(
          Base64Encode(std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Length()))
              .c_str(),
          out);
      out.Append(u'\'');
      break;
    }
    case JsonType::kArray: {
      const ObjectList<Json>& elements = *value_.array;
      out = pretty ? u"[\r\n" : u"[";
      if (elements.Count()) {
        if (pretty) indent.Append(u'\t');
        String child;
        for (uint32_t i = 0; i < elements.Count(); ++i) {
          if (i) out.Append(pretty ? u",\r\n" : u",");
          out.Append(indent);
          elements[i].ToText(child, indent, pretty);
          out.Append(child);
        }
        PopIndent(indent);
        if (pretty) out.Append(u"\r\n");
      }
      out.Append(indent);
      out.Append(u']');
      break;
    }
    case JsonType::kObject: {
      const ObjectList<DICTION>& members = *value_.object;
      out = pretty ? u"{\r\n" : u"{";
      if (members.Count()) {
        if (pretty) {
          indent.Append(u'\t');
          out.Append(indent);
        }
        String child;
        for (uint32_t i = 0; i < members.Count(); ++i) {
          if (i) {
            out.Append(pretty ? u",\r\n" : u",");
            if (pretty) out.Append(indent);
          }
          AppendQuoted(members[i].key, out, pretty);
          out.Append(pretty ? u" : " : u":");
          members[i].value->ToText(child, indent, pretty);
          out.Append(child);
        }
        PopIndent(indent);
        if (pretty) out.Append(u"\r\n");
      }
      out.Append(indent);
      out.Append(u'}');
      break;
    }
  }
}

String Json::ToText(bool pretty) const {
  String out;
  String indent(u"");
  ToText(out, indent, pretty);
  return out;
}

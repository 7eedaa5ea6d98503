#include "app/trace_lookup.h"

namespace {

constexpr unsigned long long kLargestTraceNumber = 0xFFFFFFFFFFFFull;  // 12 hexadecimal digits

bool IsBarcodeNumber(const String& text, unsigned long long& value) {
  const uint32_t n = text.Length();
  if (n < 13 || n > 15) return false;
  value = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const char16_t c = text.Element(i);
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + static_cast<unsigned>(c - u'0');
  }
  return value <= kLargestTraceNumber;
}

// A trace code as the list shows it (12 hexadecimal digits), or more of the
// record's hash.
bool IsTraceCode(const String& text) {
  const uint32_t n = text.Length();
  if (n < 12 || n > 40) return false;
  for (uint32_t i = 0; i < n; ++i) {
    const char16_t c = text.Element(i);
    const bool hex =
        (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    if (!hex) return false;
  }
  return true;
}

}  // namespace

String TracePageAddress(const String& queryUrl, const String& input) {
  String code = input;
  code.Trim();  // a scanner may add a line end
  unsigned long long number = 0;
  if (IsBarcodeNumber(code, number)) {
    String hex;
    hex.Format(u"%012llX", number);
    return queryUrl + hex;
  }
  if (!queryUrl.IsEmpty() && code.Length() > queryUrl.Length() &&
      code.Left(static_cast<int>(queryUrl.Length())) == queryUrl)
    return code;
  if (IsTraceCode(code)) return queryUrl + code;
  return String(u"");
}

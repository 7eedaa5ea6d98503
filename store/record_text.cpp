#include "store/record_text.h"

#include <climits>

namespace {

// Reads an optional sign and the leading decimal digits after leading white
// space, like the C library's atoi; 0 when there are none. Saturates.
int LeadingInt(const String& s) {
  uint32_t i = 0;
  const uint32_t n = s.Length();
  auto space = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
  while (i < n && space(s.Element(i))) ++i;
  bool negative = false;
  if (i < n && (s.Element(i) == u'+' || s.Element(i) == u'-')) negative = s.Element(i++) == u'-';
  long long value = 0;
  for (; i < n && s.Element(i) >= u'0' && s.Element(i) <= u'9'; ++i) {
    value = value * 10 + (s.Element(i) - u'0');
    if (value > INT_MAX) value = INT_MAX + 1LL;
  }
  value = negative ? -value : value;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value < INT_MIN ? INT_MIN : value);
}

}  // namespace

void FormatTestTime(String& time) {
  String out(u"20");
  const char16_t* separators[] = {u"-", u"-", u" ", u":", u":", u""};
  for (int part = 0; part < 6; ++part) {
    out.Append(time.Mid(part * 2, 2));
    out.Append(separators[part]);
  }
  time = out;
}

String FormatLocation(const String& latitude, const String& longitude) {
  const int point = longitude.Find(u".");
  if (point < 0) return String(u"(0,0)");
  const String lat = latitude.Left(-2);
  const String lon = longitude.Left(-2);
  const String head = lon.Left(point);
  const String tail = lon.Mid(point + 1, 4);
  String text;
  text.Format(u"(%d°%02d'%02d.%02d\",%d°%02d'%02d.%02d\")", LeadingInt(lat.Mid(0, 2)),
              LeadingInt(lat.Mid(2, 2)), LeadingInt(lat.Mid(5, 2)), LeadingInt(lat.Mid(7, 2)),
              LeadingInt(head.Left(-2)), LeadingInt(head.Mid(-2)), LeadingInt(tail.Left(2)),
              LeadingInt(tail.Mid(2)));
  return text;
}

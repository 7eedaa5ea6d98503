#include "store/record_text.h"

#include <climits>
#include <cstdio>
#include <string_view>

namespace {

using View = std::u16string_view;

// Positions as String counts them: a negative one from the end, clamped.
size_t Clamp(long position, size_t length) {
  long p = position < 0 ? static_cast<long>(length) + position : position;
  if (p < 0) p = 0;
  if (p > static_cast<long>(length)) p = static_cast<long>(length);
  return static_cast<size_t>(p);
}
View Left(View s, long n) { return s.substr(0, n < 0 ? Clamp(n, s.size()) : Clamp(n, s.size())); }
View Mid(View s, long start, long count) {
  const size_t from = Clamp(start, s.size());
  return s.substr(from, count < 0 ? 0 : static_cast<size_t>(count));
}
View Mid(View s, long start) { return s.substr(Clamp(start, s.size())); }

// Reads an optional sign and the leading decimal digits after leading white
// space, like the C library's atoi; 0 when there are none. Saturates.
int LeadingInt(View s) {
  size_t i = 0;
  const size_t n = s.size();
  auto space = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
  while (i < n && space(s[i])) ++i;
  bool negative = false;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  long long value = 0;
  for (; i < n && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    value = value * 10 + (s[i] - u'0');
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

String FormatLocation(View latitude, View longitude) {
  const View longitudeText = longitude;
  const size_t point = longitudeText.find(u'.');
  if (point == View::npos) return String(u"(0,0)");
  const View lat = Left(latitude, -2);
  const View lon = Left(longitudeText, -2);
  const View head = Left(lon, static_cast<long>(point));
  const View tail = Mid(lon, static_cast<long>(point) + 1, 4);
  // Formatted without allocating: the list builds this for every row it sorts.
  char text[160];
  const int n = std::snprintf(text, sizeof text, "(%d\x01%02d'%02d.%02d\",%d\x01%02d'%02d.%02d\")",
                              LeadingInt(Mid(lat, 0, 2)), LeadingInt(Mid(lat, 2, 2)),
                              LeadingInt(Mid(lat, 5, 2)), LeadingInt(Mid(lat, 7, 2)),
                              LeadingInt(Left(head, -2)), LeadingInt(Mid(head, -2)),
                              LeadingInt(Left(tail, 2)), LeadingInt(Mid(tail, 2)));
  char16_t wide[160];
  for (int i = 0; i < n; ++i) wide[i] = text[i] == '\x01' ? u'°' : static_cast<char16_t>(text[i]);
  return String(wide, static_cast<uint32_t>(n));
}

bool ReadDecimal(std::u16string_view text, double& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  double number = 0, scale = 1;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') {
      digits = true;
      if (point) {
        scale /= 10;
        number += (c - u'0') * scale;
      } else {
        number = number * 10 + (c - u'0');
      }
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  value = negative ? -number : number;
  return digits;
}

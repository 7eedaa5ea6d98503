#pragma once

#include <cstdint>
#include <ctime>

#include "base/string.h"

// Calendar checks for the detector's test times. A detector clock can say
// 19-02-30; such a time is "not known" to every report instead of a day that
// does not exist. Plain functions.

// Days in month `month` (1..12) of year `year`; 0 for a month out of range.
int DaysInMonth(int year, int month);
// Whether yyyymmdd is a day of the Gregorian calendar.
bool IsCalendarDate(uint32_t yyyymmdd);

// The test day (yyyymmdd, year 20yy) of a test time whose first 12 units are
// the digits yyMMddHHmmss; 0 when they are not digits or not a real date and
// clock time. Works on any sequence of char or char16_t.
template <class Text>
uint32_t TestDayOf(const Text& time) {
  if (time.size() < 12) return 0;
  int digit[12];
  for (int i = 0; i < 12; ++i) {
    const auto c = time[static_cast<decltype(time.size())>(i)];
    if (c < '0' || c > '9') return 0;
    digit[i] = static_cast<int>(c - '0');
  }
  auto pair = [&digit](int at) { return digit[at] * 10 + digit[at + 1]; };
  if (pair(6) > 23 || pair(8) > 59 || pair(10) > 59) return 0;
  const uint32_t day = 20000000u + static_cast<uint32_t>(pair(0) * 10000 + pair(2) * 100 + pair(4));
  return IsCalendarDate(day) ? day : 0;
}

// The local date and time now, "yyyy-MM-dd HH:mm:ss".
String LocalNowText();
// The same for a moment given in seconds since 1970 (UTC).
String LocalTimeText(int64_t secondsSince1970);
// The local calendar parts of a time, thread-safe. Per platform:
// calendar_posix.cpp, calendar_win.cpp.
std::tm LocalCalendarParts(int64_t secondsSince1970);

#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "tests/support/utc_time.h"

// The test day (yyyymmdd, year 20yy) of a 12-digit test time as the
// Gregorian calendar sees it, or 0 when the time is not a real date and
// clock time: the reference the program's own reader is checked against.
inline uint32_t ReferenceDay(const std::string& t) {
  auto two = [&t](int at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
  std::tm tm = {};
  tm.tm_year = 100 + two(0);
  tm.tm_mon = two(2) - 1;
  tm.tm_mday = two(4);
  tm.tm_hour = two(6);
  tm.tm_min = two(8);
  tm.tm_sec = two(10);
  // Out-of-range parts roll over into the next minute, day or month.
  const int months = 12 * tm.tm_year + tm.tm_mon;  // from January 1900, never negative here
  const int64_t seconds = DaysFromCivil(1900 + months / 12, 1 + months % 12, 1) * 86400 +
                          (tm.tm_mday - 1) * int64_t{86400} + tm.tm_hour * 3600 + tm.tm_min * 60 +
                          tm.tm_sec;
  const std::tm copy = UtcParts(seconds);
  const bool same = copy.tm_year == tm.tm_year && copy.tm_mon == tm.tm_mon &&
                    copy.tm_mday == tm.tm_mday && copy.tm_hour == tm.tm_hour &&
                    copy.tm_min == tm.tm_min && copy.tm_sec == tm.tm_sec;
  return same ? static_cast<uint32_t>(20000000 + two(0) * 10000 + two(2) * 100 + two(4)) : 0;
}

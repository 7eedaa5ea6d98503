#pragma once

#include <cstdint>
#include <ctime>

// Calendar arithmetic in UTC without the C library's time zone functions
// (which differ between systems): days since 1970-01-01 from a civil date and
// back, by the proleptic Gregorian rules.
inline int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The UTC calendar parts of a time (tm_year from 1900, tm_mon from 0).
inline std::tm UtcParts(int64_t secondsSince1970) {
  int64_t days = secondsSince1970 / 86400;
  int64_t rest = secondsSince1970 % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const int64_t year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2);
  std::tm parts{};
  parts.tm_year = static_cast<int>(year - 1900);
  parts.tm_mon = static_cast<int>(month - 1);
  parts.tm_mday = static_cast<int>(day);
  parts.tm_hour = static_cast<int>(rest / 3600);
  parts.tm_min = static_cast<int>(rest / 60 % 60);
  parts.tm_sec = static_cast<int>(rest % 60);
  return parts;
}

#include "base/calendar.h"

#include <ctime>

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool IsCalendarDate(uint32_t yyyymmdd) {
  const int year = static_cast<int>(yyyymmdd / 10000);
  const int month = static_cast<int>(yyyymmdd / 100 % 100);
  const int day = static_cast<int>(yyyymmdd % 100);
  return year > 0 && day >= 1 && day <= DaysInMonth(year, month);
}

String LocalNowText() { return LocalTimeText(static_cast<int64_t>(std::time(nullptr))); }

String LocalTimeText(int64_t secondsSince1970) {
  const std::tm local = LocalCalendarParts(secondsSince1970);
  char text[24];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return String::FromBytes(text, cp::kUtf8);
}

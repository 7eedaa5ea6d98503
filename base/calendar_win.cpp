#include <ctime>

#include "base/calendar.h"

std::tm LocalCalendarParts(int64_t secondsSince1970) {
  const std::time_t time = static_cast<std::time_t>(secondsSince1970);
  std::tm local{};
  localtime_s(&local, &time);
  return local;
}

#include <ctime>

#include "base/calendar.h"

String LocalTimeText(int64_t secondsSince1970) {
  const std::time_t now = static_cast<std::time_t>(secondsSince1970);
  std::tm local{};
  localtime_s(&local, &now);
  char text[24];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return String::FromBytes(text, cp::kUtf8);
}

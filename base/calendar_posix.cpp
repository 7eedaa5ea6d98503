#include <ctime>

#include "base/calendar.h"

String LocalNowText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[24];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return String::FromBytes(text, cp::kUtf8);
}

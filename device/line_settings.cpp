#include "device/line_settings.h"

#include <cstdlib>
#include <string>

namespace {

bool ParseBaud(const std::string& value, unsigned& baud) {
  if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos ||
      value.size() > 9) {
    return false;
  }
  unsigned n = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
  switch (n) {  // shorthands of the old MODE syntax
    case 11:
      n = 110;
      break;
    case 15:
      n = 150;
      break;
    case 30:
      n = 300;
      break;
    case 60:
      n = 600;
      break;
    case 12:
      n = 1200;
      break;
    case 24:
      n = 2400;
      break;
    case 48:
      n = 4800;
      break;
    case 96:
      n = 9600;
      break;
    case 19:
      n = 19200;
      break;
    default:
      break;
  }
  if (n == 0) return false;
  baud = n;
  return true;
}

}  // namespace

bool ParseLineSettings(const String& text, LineSettings& out) {
  LineSettings s = out;
  std::string ascii = text.ToBytes(cp::kUtf8);
  size_t pos = 0;
  while (pos < ascii.size()) {
    while (pos < ascii.size() && ascii[pos] == ' ') ++pos;
    if (pos >= ascii.size()) break;
    size_t end = ascii.find(' ', pos);
    if (end == std::string::npos) end = ascii.size();
    const std::string token = ascii.substr(pos, end - pos);
    pos = end;
    const size_t eq = token.find('=');
    if (eq == std::string::npos) return false;
    std::string key = token.substr(0, eq);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string value = token.substr(eq + 1);
    if (key == "baud") {
      if (!ParseBaud(value, s.baud)) return false;
    } else if (key == "parity") {
      if (value.size() != 1) return false;
      const char p = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
      if (std::string("NEOMS").find(p) == std::string::npos) return false;
      s.parity = p;
    } else if (key == "data") {
      if (value.size() != 1 || value[0] < '5' || value[0] > '8') return false;
      s.dataBits = value[0] - '0';
    } else if (key == "stop") {
      if (value == "1")
        s.stopBits = 1;
      else if (value == "1.5" || value == "2")
        s.stopBits = 2;
      else
        return false;
    } else {
      return false;
    }
  }
  out = s;
  return true;
}

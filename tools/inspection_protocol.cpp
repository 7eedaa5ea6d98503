#include "tools/inspection_protocol.h"

#include <cstdio>

#include "device/record_hash.h"

bool DeviceIdFromHeader(const std::string& header, bool lowerCase, String& deviceId) {
  if (header.size() != 10 || static_cast<unsigned char>(header[0]) != 0x26 ||
      static_cast<unsigned char>(header[1]) != 0xAF) {
    return false;
  }
  char digits[17];
  for (int i = 0; i < 8; ++i) {
    std::snprintf(digits + 2 * i, 3, lowerCase ? "%02x" : "%02X",
                  static_cast<unsigned char>(header[2 + i]));
  }
  deviceId = String::FromBytes(std::string(digits, 16), cp::kUtf8);
  return true;
}

String UidOfFrame(const std::string& frame, const String& deviceId) {
  return ComputeRecordHash(String::FromBytes(frame.substr(3), cp::kGbk), deviceId);
}

namespace {

int HexDigit(char c) { return String::HexValue(static_cast<unsigned char>(c)); }

}  // namespace

std::string FormDecode(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '+') {
      out += ' ';
    } else if (value[i] == '%' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 &&
               HexDigit(value[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
      i += 2;
    } else {
      out += value[i];
    }
  }
  return out;
}

bool FormField(const std::string& body, const std::string& name, std::string& value) {
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    const std::string pair = body.substr(start, end - start);
    const size_t eq = pair.find('=');
    if (pair.substr(0, eq) == name) {
      value = FormDecode(eq == std::string::npos ? std::string() : pair.substr(eq + 1));
      return true;
    }
    start = end + 1;
  }
  return false;
}

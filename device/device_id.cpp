#include "device/device_id.h"

namespace {

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

}  // namespace

DeviceIdCheck CheckDeviceId(const String& id) {
  if (id.Length() != 16) return DeviceIdCheck::kBadLength;
  for (uint32_t i = 0; i < 16; ++i) {
    if (!IsHexDigit(id.Element(i))) return DeviceIdCheck::kBadCharacter;
  }
  return DeviceIdCheck::kOk;
}

const char16_t* DeviceIdCheckMessage(DeviceIdCheck check) {
  switch (check) {
    case DeviceIdCheck::kBadLength:
      return u"设备ID长度必须是16个字符";
    case DeviceIdCheck::kBadCharacter:
      return u"设备ID字符必须是 0-9 或 A-F";
    case DeviceIdCheck::kOk:
      break;
  }
  return u"";
}

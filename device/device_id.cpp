#include "device/device_id.h"

DeviceIdCheck CheckDeviceId(const String& id) {
  if (id.Length() != 16) return DeviceIdCheck::kBadLength;
  for (uint32_t i = 0; i < 16; ++i) {
    if (String::HexValue(id.Element(i)) < 0) return DeviceIdCheck::kBadCharacter;
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

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

bool CanonicalDeviceId(String& id) {
  if (CheckDeviceId(id) != DeviceIdCheck::kOk) return false;
  String upper(u"");
  for (uint32_t i = 0; i < 16; ++i) {
    char16_t c = id.Element(i);
    if (c >= u'a' && c <= u'f') c = static_cast<char16_t>(c - u'a' + u'A');
    upper.Append(c);
  }
  id = upper;
  return true;
}

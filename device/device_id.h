#pragma once

#include "base/string.h"

// The detector's device ID: 16 hexadecimal digits from the device's label.
enum class DeviceIdCheck { kOk, kBadLength, kBadCharacter };

// Checks an ID typed by the operator: the length first, then the characters.
DeviceIdCheck CheckDeviceId(const String& id);

// The operator message for a failed check ("" for kOk).
const char16_t* DeviceIdCheckMessage(DeviceIdCheck check);

// Brings an ID to the one form it is kept in, 16 upper-case hexadecimal
// digits; false (id unchanged) when it is not a device ID at all.
bool CanonicalDeviceId(String& id);

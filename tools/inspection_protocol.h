#pragma once

#include <string>

#include "base/json.h"
#include "base/string.h"

// The server side of the two upload protocols, for the reference inspection
// server: plain functions over bytes.

// The device ID text of a 10-byte upload header (0x26 0xAF + 8 bytes): 16
// hexadecimal digits, upper case unless `lowerCase`. False for a bad header.
bool DeviceIdFromHeader(const std::string& header, bool lowerCase, String& deviceId);

// The uid of a received 179-byte frame: the record hash of its record text
// (the frame without ":NC") with the device ID.
String UidOfFrame(const std::string& frame, const String& deviceId);

// Decodes an application/x-www-form-urlencoded value: "%XX" and "+" for a space.
std::string FormDecode(const std::string& value);

// The value of the form field `name` in a form body, decoded; false when absent.
bool FormField(const std::string& body, const std::string& name, std::string& value);

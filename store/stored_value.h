#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/string.h"

// The stored value of a record, {"data": text, "selected": bool, "uploaded":
// bool} and, for records captured under a device ID, "deviceid": the ID, as the program's compact
// JSON writer makes it in GBK bytes, read and written directly: the start-up load and a flag change
// of many records do without a Json tree per record. Plain functions.
//
// The record list keeps texts in their stored form: the "data" string as the
// writer escapes it (every unit above U+0100 as \uxxxx), with two additions
// so that every text comes back exactly: units U+0080 to U+0100, which the
// writer leaves to the code page, and U+0000, which it drops, are written as
// \u00xx too. The form is ASCII; a text without such units is "exact": its
// form is byte for byte what the database holds between the quotes.

// The stored form of `text`; `exact` tells whether it is byte for byte the stored one.
void EscapeText(const char16_t* text, size_t length, std::string& form, bool& exact);
// The text of a stored form, appended to `out` (cleared first).
void UnescapeText(std::string_view form, std::u16string& out);
String UnescapeText(std::string_view form);

// The '+'-separated fields of a text in stored form ('+' is never escaped):
// up to `maximum` of them into `fields`; returns how many there are (at most
// `maximum`).
int SplitForm(std::string_view form, std::string_view* fields, int maximum);
// A field's text, trimmed of the blank set as the list trims fields.
void FieldText(std::string_view field, std::u16string& out);

struct StoredValue {
  // "data" in stored form: inside the bytes read, or in `converted` when the
  // value was written in another form. Valid as long as both are.
  std::string_view text;
  std::string converted;
  bool selected = false;
  bool uploaded = false;
  bool exact = false;  // the text's form is exact (see above)
  // The "deviceid" member (16 upper-case hexadecimal digits), empty when absent.
  std::string_view deviceId;
  // The bytes are exactly what MakeStoredValue makes of the three fields.
  bool plain = false;
};

// Reads a value laid out as the writer lays it out (keys in that order, no
// blanks, only ASCII bytes). False for anything else, which the caller then
// reads with the full JSON parser.
bool ReadStoredValue(const char* bytes, size_t length, StoredValue& value);

// The stored bytes of a record value: what Json::ToText(false) of the value
// gives in GBK. `form` is the text's stored form; `deviceId` (ASCII) is
// written as the "deviceid" member when not empty.
void MakeStoredValue(std::string_view form, bool exact, bool selected, bool uploaded,
                     std::string& out, std::string_view deviceId = {});

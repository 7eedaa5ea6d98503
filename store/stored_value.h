#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The stored value of a record, {"data": text, "selected": bool, "uploaded":
// bool}, as the program's compact JSON writer makes it in GBK bytes, read and
// written directly: the start-up load and a flag change of many records do
// without a Json tree per record. Texts are in the record list's 8-bit form
// (NcItemList::Encode). Plain functions.

struct StoredValue {
  std::string text;  // "data", in the list's 8-bit form
  bool selected = false;
  bool uploaded = false;
  // The bytes are exactly what MakeStoredValue makes of these three.
  bool plain = false;
};

// Reads a value laid out as the writer lays it out (keys in that order, no
// blanks, only ASCII bytes, no U+0000). False for anything else, which the
// caller then reads with the full JSON parser.
bool ReadStoredValue(const char* bytes, size_t length, StoredValue& value);

// The stored bytes of a record value: what Json::ToText(false) of the value
// gives in GBK (every unit above U+0100 escaped, U+0000 dropped).
void MakeStoredValue(std::string_view text, bool selected, bool uploaded, std::string& out);

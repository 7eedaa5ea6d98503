#pragma once

#include <cstdint>

#include "base/list.h"
#include "base/string.h"

// A record text has this many '+'-separated fields; fewer is not a record.
constexpr uint32_t kRecordFieldCount = 15;

// Splits a record text at every '+' and trims each field of the blank set
// (spaces, line ends, no-break and ideographic spaces ...). Appends the fields
// to `fields` and returns how many were added; an empty text adds none.
uint32_t SplitRecordFields(const String& text, ObjectList<String>& fields);

#pragma once

#include <string_view>

#include "base/string.h"

// Display texts made from record fields. Plain functions.

// Rewrites a 12-digit test time (yyMMddHHmmss) in place as "20yy-MM-dd HH:mm:ss",
// taking each part by position without validation: a short text gives short or
// empty parts with the separators still there.
void FormatTestTime(String& time);

// The location column from the latitude (field 8) and longitude (field 9)
// texts, e.g. "3612.345600" and "10349.123400" give (36°12'34.56",103°49'12.34").
// The two digits after each decimal point print as seconds and the next two as
// hundredths; no arithmetic on fractional minutes takes place. A longitude
// without a '.' gives "(0,0)".
String FormatLocation(std::u16string_view latitude, std::u16string_view longitude);

// A decimal number that is the whole text (an optional sign, digits, at most
// one point, at least one digit): the numbers of the list's number columns.
bool ReadDecimal(std::u16string_view text, double& value);

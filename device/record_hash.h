#pragma once

#include "base/string.h"

// The record hash, a record's trace identifier: SHA-1 over the UTF-8 bytes of
// ":NC" + record text + device ID, as 40 uppercase hexadecimal digits. The text
// is the record text exactly as received or stored (CR LF included, nothing
// trimmed); an empty device ID simply adds nothing. Traces the hashed text and
// the result. Plain functions, safe on any thread.
String ComputeRecordHash(const String& text, const String& deviceId);

// SHA-1 of `input` in UTF-8, traced like ComputeRecordHash but with nothing added.
String HashTracedText(const String& input);

// The start-up self-trace: hashes the built-in sample record as it is.
void TraceSampleRecordHash();

#pragma once

#include "base/string.h"

// The trace page for what the operator typed or scanned into the code box:
//  - 13 to 15 decimal digits (a label's barcode) are turned back into the
//    12 hexadecimal digits of the trace code they were made from;
//  - a text that starts with the trace URL prefix (a label's QR code) is
//    opened as it is;
//  - a trace code (12 to 40 hexadecimal digits) is appended to the prefix.
// Empty for anything else (nothing typed, a word, a stray scan).
String TracePageAddress(const String& queryUrl, const String& input);

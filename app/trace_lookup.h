#pragma once

#include "base/string.h"

// The trace page for what the operator typed or scanned into the code box:
//  - 13 to 15 decimal digits (a label's barcode) are turned back into the
//    12 hexadecimal digits of the trace code they were made from;
//  - a text that starts with the trace URL prefix (a label's QR code) is
//    opened as it is;
//  - anything else is appended to the prefix as typed.
String TracePageAddress(const String& queryUrl, const String& input);

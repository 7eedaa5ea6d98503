#pragma once

#include "base/string.h"

// Serial line settings read from a text such as "baud=9600 parity=N data=8
// stop=1", the form the link builds from the configured baud rate. Keys may
// come in any order and case; a missing key keeps its default.
struct LineSettings {
  unsigned baud = 9600;
  char parity = 'N';  // N, E, O, M or S
  int dataBits = 8;   // 5 to 8
  int stopBits = 1;   // 1 or 2 (1.5 is read as 2)
};

// False when the text has an unknown key or a value that is not one of the
// above; `out` is then unchanged. The old two-digit baud shorthands (96 for
// 9600, 19 for 19200 ...) are accepted as the Windows builder accepts them.
bool ParseLineSettings(const String& text, LineSettings& out);

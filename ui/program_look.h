#pragma once

// The look the skin is drawn for, the same on every system: Qt's Fusion style
// (built in, so nothing depends on a platform's style plugin) and the skin's
// font families, the Linux one first, then the Chinese UI fonts of Windows.
void UseProgramLook();

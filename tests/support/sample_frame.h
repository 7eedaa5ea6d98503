#pragma once

#include <string>

// The detector's sample record as raw frame bytes: ":NC", the 15 fields of the
// sample test (channel 04, sample name 毛豆 in GBK) and CR LF, 179 bytes.
std::string SampleFrame();

// The same frame with a different channel field (two bytes, as sent).
std::string SampleFrameOnChannel(const std::string& channel);

// The 16 hexadecimal digits the detector sends after each frame.
extern const char kTrailerDigits[];

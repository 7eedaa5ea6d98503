#pragma once

#include <string>

#include "base/string.h"

// The detector's sample record, which the program carries for its start-up
// self-trace and which support staff know from the detector's manual: channel
// 04, sample name 毛豆, tested 2019-03-05 15:16:04.

// The 16 hexadecimal digits the detector sends after each frame.
extern const char kSampleTrailer[];

// The sample as a raw frame: ":NC", the 15 fields in GBK and CR LF, 179 bytes.
std::string SampleFrame();

// The sample as the self-trace hashes it: the frame's text (":NC" included,
// CR LF at its end) followed by the trailer digits.
String SampleRecordText();

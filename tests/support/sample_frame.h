#pragma once

#include <string>

#include "device/sample_record.h"

// The sample frame with another channel field (two bytes, as sent).
inline std::string SampleFrameOnChannel(const std::string& channel) {
  std::string frame = SampleFrame();
  frame.replace(16, 2, channel, 0, 2);
  return frame;
}

#include "device/frame_builder.h"

namespace {

// The text in GBK, cut to `width` bytes at a character boundary and space-padded.
std::string Fixed(const String& text, size_t width) {
  std::string bytes;
  for (uint32_t i = 0; i < text.Length(); ++i) {
    std::string one = String(text.Handle() + i, 1).ToBytes(cp::kGbk);
    if (bytes.size() + one.size() > width) break;
    bytes += one;
  }
  bytes.resize(width, ' ');
  return bytes;
}

}  // namespace

std::string BuildFrame(const FrameFields& f) {
  const std::pair<const String*, size_t> layout[] = {
      {&f.time, 12},       {&f.channel, 2},    {&f.rate, 4},         {&f.temperature, 4},
      {&f.second, 4},      {&f.control, 5},    {&f.result, 1},       {&f.place, 20},
      {&f.latitude, 12},   {&f.longitude, 12}, {&f.testingUnit, 20}, {&f.inspector, 20},
      {&f.testedUnit, 20}, {&f.sample, 20},    {&f.standard, 4},
  };
  std::string frame = ":NC";
  for (size_t i = 0; i < std::size(layout); ++i) {
    if (i) frame += '+';
    frame += Fixed(*layout[i].first, layout[i].second);
  }
  frame += "\r\n";
  return frame;
}

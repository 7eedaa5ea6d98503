#include "tests/support/sample_frame.h"

#include <stdexcept>

#include "base/string.h"

const char kTrailerDigits[] = "3A5F0C1E9B7D2468";

std::string SampleFrameOnChannel(const std::string& channel) {
  const std::string blank20(20, ' ');
  std::string name = String(u"毛豆").ToBytes(cp::kGbk);
  name.resize(20, ' ');
  std::string frame = ":NC190305151604+" + channel + "+99.9+21.6+40.6+1.000+0+" + blank20 +
                      "+000000000000+000000000000+" + blank20 + "+" + blank20 + "+" + blank20 +
                      "+" + name + "+50.0\r\n";
  if (frame.size() != 179) throw std::logic_error("sample frame must be 179 bytes");
  return frame;
}

std::string SampleFrame() { return SampleFrameOnChannel("04"); }

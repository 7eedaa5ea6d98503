#include "device/sample_record.h"

const char kSampleTrailer[] = "3A5F0C1E9B7D2468";

std::string SampleFrame() {
  const std::string blank20(20, ' ');
  std::string name = String(u"毛豆").ToBytes(cp::kGbk);
  name.resize(20, ' ');
  return ":NC190305151604+04+99.9+21.6+40.6+1.000+0+" + blank20 + "+000000000000+000000000000+" +
         blank20 + "+" + blank20 + "+" + blank20 + "+" + name + "+50.0\r\n";
}

String SampleRecordText() { return String::FromBytes(SampleFrame() + kSampleTrailer, cp::kGbk); }

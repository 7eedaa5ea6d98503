#include "device/sample_record.h"

#include "device/frame_builder.h"

const char kSampleTrailer[] = "3A5F0C1E9B7D2468";

std::string SampleFrame() {
  FrameFields f;
  f.rate = u"99.9";
  f.place = f.testingUnit = f.inspector = f.testedUnit = u"";
  f.latitude = f.longitude = u"000000000000";
  return BuildFrame(f);
}

String SampleRecordText() { return String::FromBytes(SampleFrame() + kSampleTrailer, cp::kGbk); }

#include "device/sample_record.h"

#include "device/frame_builder.h"

const char kSampleTrailer[] = "3A5F0C1E9B7D2468";

std::string SampleFrame() { return BuildFrame(FrameFields()); }

String SampleRecordText() { return String::FromBytes(SampleFrame() + kSampleTrailer, cp::kGbk); }

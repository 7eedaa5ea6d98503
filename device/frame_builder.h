#pragma once

#include <string>

#include "base/string.h"

// The fields of one detector frame, as texts. Each is written into its fixed
// width in GBK: padded with spaces, or cut (never inside a character) when too long.
struct FrameFields {
  String time = u"190305151604";  // yyMMddHHmmss
  String channel = u"04";         // two digits
  String rate = u"99.9";          // inhibition rate, percent
  String temperature = u"21.6";
  String second = u"40.6";  // second percentage reading
  String control = u"1.000";
  String result = u"0";  // "0": the sample failed
  String place;
  String latitude = u"000000000000";
  String longitude = u"000000000000";
  String testingUnit;
  String inspector;
  String testedUnit;
  String sample = u"毛豆";
  String standard = u"50.0";
};

// The 179-byte frame: ":NC", the 15 fields at their widths separated by '+', CR LF.
std::string BuildFrame(const FrameFields& fields);

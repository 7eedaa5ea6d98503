#pragma once

#include <string>

#include "base/string.h"

// The fields of one detector frame, as texts. Each is written into its fixed
// width in GBK: padded with spaces, or cut (never inside a character) when too
// long. The defaults make a record whose fields are all different and none
// empty, so a test can tell every column's source from its text.
struct FrameFields {
  String time = u"190305151604";  // yyMMddHHmmss
  String channel = u"04";         // two digits
  String rate = u"87.5";          // inhibition rate, percent
  String temperature = u"21.6";
  String second = u"40.6";  // second percentage reading
  String control = u"1.000";
  String result = u"0";  // "0": the sample failed
  String place = u"城东农贸市场";
  String latitude = u"3612.345600";
  String longitude = u"10349.123400";
  String testingUnit = u"县农检站";
  String inspector = u"张敏";
  String testedUnit = u"城东市场三号摊";
  String sample = u"毛豆";
  String standard = u"50.0";
};

// The 179-byte frame: ":NC", the 15 fields at their widths separated by '+', CR LF.
std::string BuildFrame(const FrameFields& fields);

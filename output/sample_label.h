#pragma once

#include <string>

#include "base/string.h"
#include "output/label_printer.h"

// The TSPL bytes of a sample label, laid out as `layout` says: a passed test
// of "测试样品" at `testTime` (yyMMddHHmmss) under `deviceId`, its QR code
// linking to `traceUrl`. For the settings page's "打印测试标签".
std::string SampleLabel(const LabelLayout& layout, const String& traceUrl, const String& testTime,
                        const String& deviceId);

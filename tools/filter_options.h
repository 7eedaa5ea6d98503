#pragma once

#include <string>
#include <vector>

#include "store/record_filter.h"

// The record page's filter as command-line options, shared by `records`,
// `export` and `stats`: --find TEXT, --from YYYY-MM-DD, --to YYYY-MM-DD,
// --result 合格|不合格, --uploaded yes|no, and --device-id ID (the device ID
// the hashes of trace codes are computed with). Takes them out of `args`;
// false with the reason in `problem` for a malformed value.
bool TakeFilter(std::vector<std::string>& args, RecordFilter& filter, std::string& deviceId,
                std::string& problem);

// The options' usage text.
extern const char kFilterUsage[];

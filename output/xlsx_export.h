#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "store/nc_item_data.h"
#include "store/record_stats.h"

// The Excel workbook export (written with libxlsxwriter): sheet "检测记录"
// holds the rows given, in that order, under a frozen caption row with an
// autofilter, numbers as numbers and the test time as a date-time cell;
// sheet "统计" holds the statistics table. The workbook goes to a temporary
// file beside `path` and replaces it only when complete. `progress` hears
// the rows written so far and stops the export by returning false. Failed,
// with the reason, when the file was not written.
Status WriteXlsx(const std::string& path, const NcItemList& records,
                 const std::vector<uint32_t>& rows, const std::vector<StatsRow>& stats,
                 const std::function<bool(size_t)>& progress);

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/string.h"
#include "store/nc_item_data.h"

// The results notice ("检测结果公示"), the sheet a market posts: an A4 PDF of
// the rows given, in that order, with a title, the testing unit, the date
// range, a table (sample, tested unit or stall, inhibition rate, result, test
// time), the pass and fail counts and room for signatures; as many pages as
// needed, each numbered. Written with Qt's PDF writer; needs a GUI
// application object (fonts). Safe on a worker thread.
struct NoticeInfo {
  String title;           // the "notice_title" setting
  String testingUnit;     // the "dwmc" setting
  uint32_t fromDate = 0;  // yyyymmdd; 0: the first test day of the rows
  uint32_t toDate = 0;    // 0: the last
};

constexpr char16_t kDefaultNoticeTitle[] = u"农产品农药残留快速检测结果公示";

// False with the reason (Chinese) when the file was not written; an old file
// is replaced only by a complete new one.
// `progress` hears the rows written so far and stops the notice by
// returning false.
// Failed, with the reason, when the file was not written.
Status WriteResultsNotice(const std::string& path, const NcItemList& records,
                          const std::vector<uint32_t>& rows, const NoticeInfo& info,
                          const std::function<bool(size_t)>& progress);

// How many pages the notice of `rows` records takes.
int NoticePages(size_t rows);

#pragma once

#include <cstdint>
#include <vector>

#include "base/string.h"
#include "store/nc_item_data.h"

// Counts of tested, passed and failed records per day, per month or per
// product, for the statistics page, the workbook's second sheet and
// `residue-tool stats`. Plain functions.

enum class StatsBy { kPeriod, kDay, kMonth, kProduct };  // kPeriod: day or month by the range

struct StatsRow {
  String label;  // "2026-12-06", "2026-12", a sample name, or "日期不明"
  uint32_t tested = 0;
  uint32_t passed = 0;
  uint32_t failed = 0;
  double FailureRate() const { return tested ? static_cast<double>(failed) / tested : 0; }
};

// Per period: every day (or month) from `fromDate` to `toDate` (yyyymmdd;
// 0: the first or last test day among the rows), empty ones included, in
// order; records without a test day last, as "日期不明". kPeriod counts by
// month when the range is longer than 62 days. Per product: by tested count,
// most first, then by name. `used` tells which grouping was made.
std::vector<StatsRow> RecordStats(const NcItemList& records, const std::vector<uint32_t>& rows,
                                  StatsBy by, uint32_t fromDate = 0, uint32_t toDate = 0,
                                  StatsBy* used = nullptr);

// The failure rate as shown: "12.5%".
String RateText(const StatsRow& row);

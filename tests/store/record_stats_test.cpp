// Statistics against counts made by hand.
#include "store/record_stats.h"

#include <gtest/gtest.h>

#include "device/frame_builder.h"

namespace {

using Table = std::vector<std::string>;

// "label tested passed failed rate" per row.
Table Lines(const std::vector<StatsRow>& rows) {
  Table lines;
  for (const StatsRow& row : rows) {
    lines.push_back(row.label.ToBytes(cp::kUtf8) + " " + std::to_string(row.tested) + " " +
                    std::to_string(row.passed) + " " + std::to_string(row.failed) + " " +
                    RateText(row).ToBytes(cp::kUtf8));
  }
  return lines;
}

class RecordStatsTest : public ::testing::Test {
 protected:
  void Add(const char16_t* time, const char16_t* sample, bool failed) {
    FrameFields f;
    f.time = time;
    f.sample = sample;
    f.result = failed ? u"0" : u"1";
    list_.Append(u"k", String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), false, false, u"");
    rows_.push_back(list_.Count() - 1);
  }
  NcItemList list_;
  std::vector<uint32_t> rows_;
};

TEST_F(RecordStatsTest, DaysMonthsAndProductsCountedByHand) {
  Add(u"260228235959", u"毛豆", true);   // the last second of February
  Add(u"260301000000", u"毛豆", false);  // midnight, March 1st
  Add(u"260301120000", u"黄瓜", false);
  Add(u"260303080000", u"黄瓜", true);   // March 2nd has nothing
  Add(u"26xx01000000", u"白菜", false);  // no test day
  StatsBy used;
  EXPECT_EQ(Lines(RecordStats(list_, rows_, StatsBy::kPeriod, 0, 0, &used)),
            (Table{"2026-02-28 1 0 1 100.0%", "2026-03-01 2 2 0 0.0%", "2026-03-02 0 0 0 0.0%",
                   "2026-03-03 1 0 1 100.0%", "日期不明 1 1 0 0.0%"}));
  EXPECT_EQ(used, StatsBy::kDay);
  EXPECT_EQ(Lines(RecordStats(list_, rows_, StatsBy::kMonth)),
            (Table{"2026-02 1 0 1 100.0%", "2026-03 3 2 1 33.3%", "日期不明 1 1 0 0.0%"}));
  EXPECT_EQ(Lines(RecordStats(list_, rows_, StatsBy::kProduct)),
            (Table{"毛豆 2 1 1 50.0%", "黄瓜 2 1 1 50.0%", "白菜 1 1 0 0.0%"}));
  // The filter's range, empty days at both ends; records outside it left out.
  EXPECT_EQ(Lines(RecordStats(list_, rows_, StatsBy::kDay, 20260301, 20260302)),
            (Table{"2026-03-01 2 2 0 0.0%", "2026-03-02 0 0 0 0.0%", "日期不明 1 1 0 0.0%"}));
}

TEST_F(RecordStatsTest, LongRangesCountByMonthAcrossTheYear) {
  Add(u"251120080000", u"毛豆", false);
  Add(u"260215080000", u"毛豆", true);
  StatsBy used;
  EXPECT_EQ(Lines(RecordStats(list_, rows_, StatsBy::kPeriod, 0, 0, &used)),
            (Table{"2025-11 1 1 0 0.0%", "2025-12 0 0 0 0.0%", "2026-01 0 0 0 0.0%",
                   "2026-02 1 0 1 100.0%"}));
  EXPECT_EQ(used, StatsBy::kMonth);
  EXPECT_TRUE(RecordStats(list_, {}, StatsBy::kPeriod).empty());
  EXPECT_TRUE(RecordStats(list_, {}, StatsBy::kProduct).empty());
}

}  // namespace

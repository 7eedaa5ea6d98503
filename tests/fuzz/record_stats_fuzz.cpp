// libFuzzer target for the test-time reader and the statistics: records whose
// 12-digit test times come from the input (impossible days included) are
// counted once each, by day, by month and over the period, and a day is known
// exactly when the C library agrees that the time is on the calendar.
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/calendar.h"
#include "device/sample_record.h"
#include "store/record_stats.h"
#include "tests/support/reference_day.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string sample = SampleFrame().substr(3);
  NcItemList records;
  std::vector<uint32_t> rows;
  for (size_t at = 0; at + 12 <= size && rows.size() < 200; at += 12) {
    std::string time(12, '0');
    for (int i = 0; i < 12; ++i) time[i] = static_cast<char>('0' + data[at + i] % 10);
    if (TestDayOf(time) != ReferenceDay(time)) std::abort();
    std::string text = sample;
    text.replace(0, 12, time);
    if (!records.Append(String::FromBytes(time, cp::kGbk), String::FromBytes(text, cp::kGbk), false,
                        false, u""))
      std::abort();
    rows.push_back(records.Count() - 1);
  }
  for (const StatsBy by : {StatsBy::kPeriod, StatsBy::kDay, StatsBy::kMonth, StatsBy::kProduct}) {
    uint64_t counted = 0;
    for (const StatsRow& row : RecordStats(records, rows, by)) counted += row.tested;
    if (counted != rows.size()) std::abort();
  }
  return 0;
}

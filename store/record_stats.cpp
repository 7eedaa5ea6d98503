#include "store/record_stats.h"

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>

#include "base/calendar.h"
#include "store/stored_value.h"

namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long DaysOf(uint32_t date) {
  long y = date / 10000;
  const long m = date / 100 % 100, d = date % 100;
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

uint32_t DateOf(long days) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long doe = days - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp + (mp < 10 ? 3 : -9);
  const long y = yoe + era * 400 + (m <= 2);
  return static_cast<uint32_t>(y * 10000 + m * 100 + d);
}

String DayLabel(uint32_t date) {
  String label;
  label.Format(u"%04u-%02u-%02u", date / 10000, date / 100 % 100, date % 100);
  return label;
}

String MonthLabel(uint32_t month) {  // yyyymm
  String label;
  label.Format(u"%04u-%02u", month / 100, month % 100);
  return label;
}

void Count(StatsRow& row, const _NcItemData& record) {
  ++row.tested;
  if (record.Failed()) {
    ++row.failed;
  } else {
    ++row.passed;
  }
}

bool ValidDay(uint32_t date) { return IsCalendarDate(date); }

}  // namespace

std::vector<StatsRow> RecordStats(const NcItemList& records, const std::vector<uint32_t>& rows,
                                  StatsBy by, uint32_t fromDate, uint32_t toDate, StatsBy* used) {
  std::vector<StatsRow> out;
  if (by == StatsBy::kProduct) {
    if (used) *used = by;
    std::unordered_map<std::u16string, StatsRow> products;
    std::u16string name;
    for (const uint32_t index : rows) {
      const _NcItemData& record = records[index];
      std::string_view fields[14];
      name.clear();
      if (SplitForm(record.TextForm(), fields, 14) == 14) FieldText(fields[13], name);
      Count(products[name], record);
    }
    for (auto& [product, row] : products) {
      row.label = product.empty() ? String(u"(无名称)") : String(product);
      out.push_back(row);
    }
    std::sort(out.begin(), out.end(), [](const StatsRow& a, const StatsRow& b) {
      if (a.tested != b.tested) return a.tested > b.tested;
      return a.label.ToStd() < b.label.ToStd();
    });
    return out;
  }
  // The range: the filter's dates, or the rows' first and last test day.
  uint32_t first = ValidDay(fromDate) ? fromDate : UINT32_MAX;
  uint32_t last = ValidDay(toDate) ? toDate : 0;
  for (const uint32_t index : rows) {
    const uint32_t day = records[index].TestDate();
    if (!ValidDay(day)) continue;
    if (!ValidDay(fromDate)) first = std::min(first, day);
    if (!ValidDay(toDate)) last = std::max(last, day);
  }
  StatsRow unknown;
  unknown.label = u"日期不明";
  if (first > last) {
    for (const uint32_t index : rows) Count(unknown, records[index]);
    if (used) *used = by == StatsBy::kPeriod ? StatsBy::kDay : by;
    if (unknown.tested) out.push_back(unknown);
    return out;
  }
  const long firstDay = DaysOf(first), lastDay = DaysOf(last);
  if (by == StatsBy::kPeriod) by = lastDay - firstDay + 1 > 62 ? StatsBy::kMonth : StatsBy::kDay;
  if (used) *used = by;
  const bool monthly = by == StatsBy::kMonth;
  const uint32_t firstMonth = first / 100, lastMonth = last / 100;
  const long slots = monthly ? static_cast<long>((lastMonth / 100 - firstMonth / 100) * 12 +
                                                 lastMonth % 100 - firstMonth % 100 + 1)
                             : lastDay - firstDay + 1;
  out.resize(static_cast<size_t>(slots));
  for (long i = 0; i < slots; ++i) {
    if (monthly) {
      const uint32_t months =
          firstMonth / 100 * 12 + firstMonth % 100 - 1 + static_cast<uint32_t>(i);
      out[static_cast<size_t>(i)].label = MonthLabel(months / 12 * 100 + months % 12 + 1);
    } else {
      out[static_cast<size_t>(i)].label = DayLabel(DateOf(firstDay + i));
    }
  }
  for (const uint32_t index : rows) {
    const _NcItemData& record = records[index];
    const uint32_t day = record.TestDate();
    if (!ValidDay(day)) {
      Count(unknown, record);
      continue;
    }
    if (day < first || day > last) continue;  // outside the range asked for
    const long slot = monthly ? static_cast<long>((day / 10000 - first / 10000) * 12 +
                                                  day / 100 % 100 - first / 100 % 100)
                              : DaysOf(day) - firstDay;
    Count(out[static_cast<size_t>(slot)], record);
  }
  if (unknown.tested) out.push_back(unknown);
  return out;
}

String RateText(const StatsRow& row) {
  String text;
  text.Format(u"%.1f%%", row.FailureRate() * 100);
  return text;
}

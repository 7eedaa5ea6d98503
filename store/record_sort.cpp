#include "store/record_sort.h"

#include <algorithm>
#include <string>

#include "store/record_filter.h"
#include "store/record_text.h"
#include "store/stored_value.h"

namespace {

// The record field behind each list column (-1: made otherwise).
constexpr int kFieldOf[kSortColumns] = {-1, 13, -1, 2, 12, 7, 10, 11, 14, 0, 3, 4, -1, 5, 1, -1};
constexpr bool kNumeric[kSortColumns] = {false, false, false, true, false, false, false, false,
                                         true,  false, true,  true, false, true,  true,  false};

struct SortKey {
  bool number = false;
  double value = 0;
  std::u16string text;
};

// A decimal number that is the whole text (sign, digits, one point).
bool ReadNumber(const std::u16string& text, double& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  double number = 0, scale = 1;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') {
      digits = true;
      if (point) {
        scale /= 10;
        number += (c - u'0') * scale;
      } else {
        number = number * 10 + (c - u'0');
      }
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  value = negative ? -number : number;
  return digits;
}

SortKey KeyOf(const _NcItemData& record, int column) {
  SortKey key;
  if (column == 0) {
    key.text = record.Status().ToStd();
  } else if (column == 2) {
    key.text = record.Failed() ? u"不合格" : u"合格";
  } else if (column == kTraceCodeColumn) {
    key.text = TraceCode(record).ToStd();
  } else {
    std::string_view fields[15];
    const int count = SplitForm(record.TextForm(), fields, 15);
    if (column == 12) {
      std::u16string latitude, longitude;
      if (count > 9) {
        FieldText(fields[8], latitude);
        FieldText(fields[9], longitude);
      }
      key.text = FormatLocation(String(latitude), String(longitude)).ToStd();
    } else if (kFieldOf[column] < count) {
      FieldText(fields[kFieldOf[column]], key.text);
    }
    if (kNumeric[column]) key.number = ReadNumber(key.text, key.value);
  }
  return key;
}

// Code point order: surrogate pairs (above U+FFFF) after U+E000 to U+FFFF.
char32_t Rank(char16_t c) {
  if (c >= 0xE000) return c - 0x800u;
  if (c >= 0xD800) return c + 0x2000u;
  return c;
}

bool Before(const SortKey& a, const SortKey& b) {
  if (a.number != b.number) return a.number;
  if (a.number && a.value != b.value) return a.value < b.value;
  if (a.number) return false;
  return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                                      [](char16_t x, char16_t y) { return Rank(x) < Rank(y); });
}

}  // namespace

void SortRows(const NcItemList& records, std::vector<uint32_t>& rows, int column,
              bool descending) {
  if (column < 0 || column >= kSortColumns) return;
  std::vector<std::pair<SortKey, uint32_t>> keyed;
  keyed.reserve(rows.size());
  for (const uint32_t row : rows) keyed.emplace_back(KeyOf(records[row], column), row);
  std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
    return descending ? Before(b.first, a.first) : Before(a.first, b.first);
  });
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = keyed[i].second;
}

size_t SortedPosition(const NcItemList& records, const std::vector<uint32_t>& rows, uint32_t index,
                      int column, bool descending) {
  const SortKey key = KeyOf(records[index], column);
  size_t low = 0, high = rows.size();
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    const SortKey other = KeyOf(records[rows[mid]], column);
    const bool goesBefore = descending ? Before(other, key) : Before(key, other);
    if (goesBefore) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

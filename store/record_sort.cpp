#include "store/record_sort.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

#include "base/parallel.h"
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
  std::string text;  // UTF-8: bytes compare in code point order
};

// `text` is the caller's scratch space, kept across calls so that a run of
// keys reuses one buffer.
SortKey KeyOf(const _NcItemData& record, int column, std::u16string& text) {
  SortKey key;
  text.clear();
  if (column == 0) {
    text = record.Status().ToStd();
  } else if (column == 2) {
    text = record.Failed() ? u"不合格" : u"合格";
  } else if (column == kTraceCodeColumn) {
    text = TraceCode(record).ToStd();
  } else {
    std::string_view fields[15];
    const int field = column == 12 ? 9 : kFieldOf[column];
    const int count = SplitForm(record.TextForm(), fields, field + 1);
    if (column == 12) {
      std::u16string latitude, longitude;
      if (count > 9) {
        FieldText(fields[8], latitude);
        FieldText(fields[9], longitude);
      }
      const String location = FormatLocation(latitude, longitude);
      text.assign(location.Handle(), location.Length());
    } else if (kFieldOf[column] < count) {
      FieldText(fields[kFieldOf[column]], text);
    }
    if (kNumeric[column]) key.number = ReadDecimal(text, key.value);
  }
  if (!key.number) key.text = cp::Utf16ToUtf8(text);
  return key;
}

// The first sixteen bytes of a text, or a number's order, as two integers:
// most comparisons end there, without touching the texts.
void PrefixOf(const SortKey& key, uint64_t& high, uint64_t& low) {
  if (key.number) {
    uint64_t bits;
    std::memcpy(&bits, &key.value, sizeof bits);
    high = (bits >> 63) ? ~bits : bits | (1ull << 63);
    low = 0;
    return;
  }
  high = low = 0;
  for (size_t i = 0; i < 16; ++i) {
    const uint64_t byte = i < key.text.size() ? static_cast<unsigned char>(key.text[i]) : 0;
    (i < 8 ? high : low) = (i < 8 ? high : low) << 8 | byte;
  }
}

bool Before(const SortKey& a, const SortKey& b) {
  if (a.number != b.number) return a.number;
  if (a.number) return a.value < b.value;
  return a.text < b.text;
}

struct Entry {
  uint64_t high, low;  // PrefixOf
  uint32_t position;   // in the rows as given: equal keys keep this order
  bool number;
};

}  // namespace

void SortRows(const NcItemList& records, std::vector<uint32_t>& rows, int column, bool descending) {
  if (column < 0 || column >= kSortColumns) return;
  std::vector<SortKey> keys(rows.size());
  std::vector<Entry> entries(rows.size());
  auto fill = [&](size_t from, size_t to) {
    std::u16string scratch;
    for (size_t i = from; i < to; ++i) {
      keys[i] = KeyOf(records[rows[i]], column, scratch);
      Entry& e = entries[i];
      PrefixOf(keys[i], e.high, e.low);
      e.position = static_cast<uint32_t>(i);
      e.number = keys[i].number;
    }
  };
  // Numbers before texts and the keys in order (all reversed when
  // descending), then the given order: a total order, so the plain sort is
  // stable here.
  auto before = [&](const Entry& a, const Entry& b) {
    if (a.number != b.number) return descending ? b.number : a.number;
    if (a.high != b.high) return descending ? b.high < a.high : a.high < b.high;
    if (a.low != b.low) return descending ? b.low < a.low : a.low < b.low;
    if (!a.number) {
      const int order = keys[a.position].text.compare(keys[b.position].text);
      if (order != 0) return descending ? order > 0 : order < 0;
    }
    return a.position < b.position;
  };
  // A long list in two halves at once (keys, then each half sorted), merged at the end.
  const bool split = RunInTwoHalves(rows.size(), 20000, [&](int, size_t from, size_t to) {
    fill(from, to);
    std::sort(entries.begin() + static_cast<std::ptrdiff_t>(from),
              entries.begin() + static_cast<std::ptrdiff_t>(to), before);
  });
  if (split) {
    std::inplace_merge(entries.begin(),
                       entries.begin() + static_cast<std::ptrdiff_t>(rows.size() / 2),
                       entries.end(), before);
  }
  std::vector<uint32_t> sorted(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) sorted[i] = rows[entries[i].position];
  rows.swap(sorted);
}

size_t SortedPosition(const NcItemList& records, const std::vector<uint32_t>& rows, uint32_t index,
                      int column, bool descending) {
  std::u16string scratch;
  const SortKey key = KeyOf(records[index], column, scratch);
  size_t low = 0, high = rows.size();
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    const SortKey other = KeyOf(records[rows[mid]], column, scratch);
    const bool goesBefore = descending ? Before(other, key) : Before(key, other);
    if (goesBefore) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

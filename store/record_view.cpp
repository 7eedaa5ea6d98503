#include "store/record_view.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "store/record_sort.h"

void RecordView::SetFilter(const NcItemList& records, const RecordFilter& filter) {
  const bool narrower = !whole_ && filter.Narrows(filter_);
  filter_ = filter;
  if (narrower) {
    rows_ = FilterRecords(records, filter_, &rows_);  // keeps the sorted order
    return;
  }
  Rebuild(records);
}

void RecordView::SetSort(const NcItemList& records, int column, bool descending) {
  sortColumn_ = column;
  descending_ = descending;
  Rebuild(records);
}

void RecordView::Reset() {
  filter_ = RecordFilter();
  sortColumn_ = -1;
  descending_ = false;
  whole_ = true;
  rows_.clear();
  rows_.shrink_to_fit();
}

void RecordView::Rebuild(const NcItemList& records) {
  whole_ = filter_.IsEmpty() && sortColumn_ < 0;
  rows_.clear();
  if (whole_) {
    rows_.shrink_to_fit();
    return;
  }
  if (filter_.IsEmpty()) {
    rows_.resize(records.Count());
    std::iota(rows_.begin(), rows_.end(), 0u);
  } else {
    rows_ = FilterRecords(records, filter_);
  }
  if (sortColumn_ >= 0) SortRows(records, rows_, sortColumn_, descending_);
}

int RecordView::Appended(const NcItemList& records, uint32_t index) {
  if (whole_) return static_cast<int>(index);
  if (!RecordMatcher(filter_).Matches(records[index])) return -1;
  const size_t at = sortColumn_ < 0
                        ? rows_.size()
                        : SortedPosition(records, rows_, index, sortColumn_, descending_);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), index);
  return static_cast<int>(at);
}

void RecordView::Removed(const std::vector<uint32_t>& newIndex) {
  if (whole_) return;
  size_t kept = 0;
  for (const uint32_t row : rows_) {
    if (newIndex[row] != UINT32_MAX) rows_[kept++] = newIndex[row];
  }
  rows_.resize(kept);
}

bool RecordView::Changed(const NcItemList& records, const std::vector<uint32_t>& indexes) {
  if (whole_ || indexes.empty()) return false;
  const RecordMatcher matcher(filter_);
  std::unordered_set<uint32_t> changed(indexes.begin(), indexes.end());
  std::unordered_set<uint32_t> shown;
  // One pass: rows that no longer match go, the changed ones that stay are noted.
  size_t kept = 0;
  for (const uint32_t index : rows_) {
    if (changed.count(index)) {
      if (!matcher.Matches(records[index])) continue;
      shown.insert(index);
    }
    rows_[kept++] = index;
  }
  bool moved = kept != rows_.size();
  rows_.resize(kept);
  for (const uint32_t index : changed) {
    if (shown.count(index) || !matcher.Matches(records[index])) continue;
    const size_t at = sortColumn_ < 0
                          ? static_cast<size_t>(
                                std::lower_bound(rows_.begin(), rows_.end(), index) - rows_.begin())
                          : SortedPosition(records, rows_, index, sortColumn_, descending_);
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), index);
    moved = true;
  }
  return moved;
}

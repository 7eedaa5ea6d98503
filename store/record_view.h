#pragma once

#include <cstdint>
#include <vector>

#include "store/nc_item_data.h"
#include "store/record_filter.h"

// Which records the list shows and in what order: all of them in stored
// order, or those a filter accepts, optionally sorted by a column. The
// records themselves never move. Plain logic; the window keeps one.
class RecordView {
 public:
  // All records in stored order (no filter, no sort): rows are records.
  bool IsWhole() const { return whole_; }
  const RecordFilter& Filter() const { return filter_; }
  int SortColumn() const { return sortColumn_; }  // -1: stored order
  bool SortDescending() const { return descending_; }

  uint32_t RowCount(const NcItemList& records) const {
    return whole_ ? records.Count() : static_cast<uint32_t>(rows_.size());
  }
  uint32_t RecordAt(uint32_t row) const { return whole_ ? row : rows_[row]; }
  // The shown records' indexes (when not whole).
  const std::vector<uint32_t>& Rows() const { return rows_; }

  // A new filter; the sort stays. A filter that narrows the current one
  // (more search text) only looks at the rows shown now.
  void SetFilter(const NcItemList& records, const RecordFilter& filter);
  // Sorts by list column `column` (-1: stored order); the filter stays.
  void SetSort(const NcItemList& records, int column, bool descending);
  // No filter, no sort.
  void Reset();

  // Record `index` was appended to the list: the row it is shown at, or -1
  // when the filter hides it.
  int Appended(const NcItemList& records, uint32_t index);
  // Records `indexes` changed in what the filter looks at (an upload reply):
  // each is now shown or hidden as the filter says, at its place. True when
  // a row came or went.
  bool Changed(const NcItemList& records, const std::vector<uint32_t>& indexes);
  // Records were removed from the list: `newIndex[i]` is where record i went,
  // UINT32_MAX for a removed one.
  void Removed(const std::vector<uint32_t>& newIndex);

 private:
  void Rebuild(const NcItemList& records);

  bool whole_ = true;
  RecordFilter filter_;
  int sortColumn_ = -1;
  bool descending_ = false;
  std::vector<uint32_t> rows_;
};

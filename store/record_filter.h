#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/string.h"
#include "store/nc_item_data.h"

// Which records to show: the record page's filter bar and `residue-tool
// records` share it. Plain data and functions.
struct RecordFilter {
  enum class Result { kAll, kPassed, kFailed };
  enum class Upload { kAll, kUploaded, kNotUploaded };

  // Found in the sample name, tested unit, place, testing unit, inspector or
  // trace code (the hash's first 12 digits), ignoring the case of Latin
  // letters. Empty: any record.
  String text;
  uint32_t fromDate = 0;  // test day yyyymmdd, inclusive; 0: no lower bound
  uint32_t toDate = 0;    // inclusive; 0: no upper bound
  Result result = Result::kAll;
  Upload upload = Upload::kAll;

  bool IsEmpty() const {
    return text.IsEmpty() && fromDate == 0 && toDate == 0 && result == Result::kAll &&
           upload == Upload::kAll;
  }
  // Every record this one accepts is also accepted by `wider` (the same
  // filter with a shorter search text): a narrower filter may start from
  // wider's result.
  bool Narrows(const RecordFilter& wider) const;
};

// Decides record by record. Safe to use from several threads on different
// records.
class RecordMatcher {
 public:
  explicit RecordMatcher(const RecordFilter& filter);
  bool Matches(const _NcItemData& record) const;
  // The search text could be part of a trace code (hexadecimal digits only):
  // matching then needs every record's hash.
  bool NeedsHashes() const { return hexNeedle_; }

 private:
  bool TextMatches(const _NcItemData& record) const;

  RecordFilter filter_;
  std::u16string needle_;   // folded to lower case
  std::string needleForm_;  // the same in stored form, for a quick look over a whole text
  bool needleHasLetters_ = false;
  bool hexNeedle_ = false;
};

// The first 12 digits of the record hash, as the label prints them.
String TraceCode(const _NcItemData& record);

// The indexes of the records `filter` accepts, from `rows` (or from all
// records when `rows` is null), in the order given. Large lists are shared
// between two threads.
std::vector<uint32_t> FilterRecords(const NcItemList& records, const RecordFilter& filter,
                                    const std::vector<uint32_t>* rows = nullptr);

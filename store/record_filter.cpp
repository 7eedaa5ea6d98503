#include "store/record_filter.h"

#include <cstring>
#include <thread>

#include "store/stored_value.h"

namespace {

constexpr int kSearchedFields[] = {13, 12, 7, 10, 11};  // sample, tested unit, place, unit, inspector

void FoldCase(std::u16string& text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
}

std::u16string Needle(const String& text) {
  String trimmed = text;
  trimmed.Trim();
  std::u16string needle = trimmed.ToStd();
  FoldCase(needle);
  return needle;
}

bool IsHexDigits(const std::u16string& text) {
  if (text.empty() || text.size() > 12) return false;
  for (const char16_t c : text) {
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
  }
  return true;
}

}  // namespace

bool RecordFilter::Narrows(const RecordFilter& wider) const {
  return fromDate == wider.fromDate && toDate == wider.toDate && result == wider.result &&
         upload == wider.upload && Needle(text).find(Needle(wider.text)) != std::u16string::npos;
}

String TraceCode(const _NcItemData& record) { return record.Uid().Left(12); }

RecordMatcher::RecordMatcher(const RecordFilter& filter) : filter_(filter) {
  needle_ = Needle(filter.text);
  for (const char16_t c : needle_) needleHasLetters_ = needleHasLetters_ || (c >= u'a' && c <= u'z');
  bool exact;
  EscapeText(needle_.data(), needle_.size(), needleForm_, exact);
  hexNeedle_ = IsHexDigits(needle_);
}

bool RecordMatcher::Matches(const _NcItemData& record) const {
  const uint32_t day = record.TestDate();
  if (filter_.fromDate && (day == 0 || day < filter_.fromDate)) return false;
  if (filter_.toDate && (day == 0 || day > filter_.toDate)) return false;
  if (filter_.result == RecordFilter::Result::kPassed && record.Failed()) return false;
  if (filter_.result == RecordFilter::Result::kFailed && !record.Failed()) return false;
  if (filter_.upload == RecordFilter::Upload::kUploaded && !record.uploaded) return false;
  if (filter_.upload == RecordFilter::Upload::kNotUploaded && record.uploaded) return false;
  return needle_.empty() || TextMatches(record);
}

bool RecordMatcher::TextMatches(const _NcItemData& record) const {
  const std::string_view form = record.TextForm();
  // Without Latin letters, a needle found in a field is found, in stored
  // form, in the whole text: most records are ruled out by one search.
  const bool inText = needleHasLetters_ || form.find(needleForm_) != std::string_view::npos;
  if (inText) {
    std::string_view fields[15];
    const int count = SplitForm(form, fields, 15);
    thread_local std::u16string field;
    for (const int f : kSearchedFields) {
      if (f >= count) continue;
      FieldText(fields[f], field);
      FoldCase(field);
      if (field.find(needle_) != std::u16string::npos) return true;
    }
  }
  if (!hexNeedle_) return false;
  std::u16string code = TraceCode(record).ToStd();
  FoldCase(code);
  return code.find(needle_) != std::u16string::npos;
}

std::vector<uint32_t> FilterRecords(const NcItemList& records, const RecordFilter& filter,
                                    const std::vector<uint32_t>* rows) {
  const RecordMatcher matcher(filter);
  const size_t total = rows ? rows->size() : records.Count();
  auto index = [&](size_t i) { return rows ? (*rows)[i] : static_cast<uint32_t>(i); };
  auto pass = [&](size_t from, size_t to, std::vector<uint32_t>& out) {
    for (size_t i = from; i < to; ++i) {
      if (matcher.Matches(records[index(i)])) out.push_back(index(i));
    }
  };
  std::vector<uint32_t> first, second;
  if (total < 20000) {
    pass(0, total, first);
    return first;
  }
  // Two halves at once: the machine this runs on has at least two cores.
  const size_t half = total / 2;
  std::thread other([&] { pass(half, total, second); });
  pass(0, half, first);
  other.join();
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

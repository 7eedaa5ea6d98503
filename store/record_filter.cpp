#include "store/record_filter.h"

#include <string.h>

#include <cstring>

#include "base/parallel.h"
#include "store/stored_value.h"

namespace {

constexpr int kSearchedFields[] = {13, 12, 7, 10,
                                   11};  // sample, tested unit, place, unit, inspector

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

// The length of the unit that starts at `at` in a stored form.
size_t UnitLength(std::string_view form, size_t at) {
  if (form[at] != '\\') return 1;
  return at + 1 < form.size() && form[at + 1] == 'u' ? 6 : 2;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `needle` (a text's stored form, Latin letters in lower case) is
// in `field` (stored form), starting at a unit: a match cannot begin inside
// an escape, and whole units then match whole units. Escapes are written in
// lower case, so folding the field's letters only touches the text's own.
bool FormContains(std::string_view field, std::string_view needle, bool fold) {
  if (needle.size() > field.size()) return false;
  for (size_t at = 0; at + needle.size() <= field.size(); at += UnitLength(field, at)) {
    size_t i = 0;
    while (i < needle.size() && (fold ? Lower(field[at + i]) : field[at + i]) == needle[i]) ++i;
    if (i == needle.size()) return true;
  }
  return false;
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
  for (const char16_t c : needle_)
    needleHasLetters_ = needleHasLetters_ || (c >= u'a' && c <= u'z');
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
  // A needle found in a field is found in the span of the searched fields:
  // most records are ruled out by one search (by its first byte in either
  // case when it has Latin letters).
  const std::string_view span = record.SearchedForm();
  bool inSpan;
  if (needleHasLetters_) {
    const char first = needleForm_[0];
    inSpan =
        std::memchr(span.data(), first, span.size()) ||
        (first >= 'a' && first <= 'z' && std::memchr(span.data(), first - 'a' + 'A', span.size()));
  } else {
    inSpan = span.find(needleForm_) != std::string_view::npos;
  }
  if (inSpan) {
    std::string_view fields[14];
    const int count = SplitForm(record.TextForm(), fields, 14);
    for (const int f : kSearchedFields) {
      if (f < count && FormContains(fields[f], needleForm_, needleHasLetters_)) return true;
    }
  }
  if (!hexNeedle_) return false;
  char code[12];
  record.TraceDigits(code);
  return std::string_view(code, sizeof code).find(needleForm_) != std::string_view::npos;
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
  std::vector<uint32_t> found[2];
  RunInTwoHalves(total, 20000,
                 [&](int part, size_t from, size_t to) { pass(from, to, found[part]); });
  found[0].insert(found[0].end(), found[1].begin(), found[1].end());
  return found[0];
}

// Finding records: the filter, sorting and the view over the list.
#include <gtest/gtest.h>

#include <algorithm>

#include "device/frame_builder.h"
#include "store/record_filter.h"
#include "store/record_sort.h"
#include "store/record_view.h"
#include "tests/support/varied_records.h"

namespace {

String Text(const FrameFields& f) { return String::FromBytes(BuildFrame(f).substr(3), cp::kGbk); }

// Every record differs in the field its name says.
struct Named {
  const char* name;
  FrameFields fields;
};

std::vector<Named> Records() {
  std::vector<Named> records;
  auto add = [&](const char* name, auto change) {
    FrameFields f;
    f.time = u"190305101010";
    f.sample = u"毛豆";
    f.testedUnit = u"一号摊";
    f.place = u"农贸市场";
    f.testingUnit = u"检测站";
    f.inspector = u"李四";
    f.result = u"1";
    change(f);
    records.push_back({name, f});
  };
  add("sample", [](FrameFields& f) { f.sample = u"黄瓜"; });
  add("tested", [](FrameFields& f) { f.testedUnit = u"城东黄摊"; });
  add("place", [](FrameFields& f) { f.place = u"Market XY"; });
  add("unit", [](FrameFields& f) { f.testingUnit = u"县检站xy"; });
  add("inspector", [](FrameFields& f) { f.inspector = u"王五"; });
  add("escape", [](FrameFields& f) { f.sample = u"中4e2d"; });
  add("backslash", [](FrameFields& f) { f.place = u"\\u9ec4"; });  // "黄" written out
  add("midnight", [](FrameFields& f) { f.time = u"190301000000"; });
  add("lastSecond", [](FrameFields& f) { f.time = u"190331235959"; });
  add("nextMonth", [](FrameFields& f) { f.time = u"190401000000"; });
  add("leapDay", [](FrameFields& f) { f.time = u"200229120000"; });
  add("failed", [](FrameFields& f) { f.result = u"0"; });
  add("badTime", [](FrameFields& f) { f.time = u"19x301000000"; });
  return records;
}

class RecordFindTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const Named& r : named_) {
      ASSERT_NE(list_.Append(u"k", Text(r.fields), false, std::string(r.name) == "unit", u"ID"),
                nullptr);
    }
  }
  std::vector<std::string> Find(const RecordFilter& filter) {
    std::vector<std::string> names;
    for (const uint32_t i : FilterRecords(list_, filter)) names.push_back(named_[i].name);
    return names;
  }
  std::vector<Named> named_ = Records();
  NcItemList list_;
};

using Names = std::vector<std::string>;

TEST_F(RecordFindTest, TheFilterLooksAtTheFieldsItNamesAndNothingElse) {
  RecordFilter::Result kAll = RecordFilter::Result::kAll;
  const String code = TraceCode(list_[4]);
  struct Case {
    std::u16string text;
    uint32_t from, to;
    RecordFilter::Result result;
    RecordFilter::Upload upload;
    Names expected;
  } cases[] = {
      {u"黄", 0, 0, kAll, {}, {"sample", "tested"}},  // not the written-out "\u9ec4"
      {u"黄瓜", 0, 0, kAll, {}, {"sample"}},
      {u"  黄瓜 ", 0, 0, kAll, {}, {"sample"}},
      {u"xy", 0, 0, kAll, {}, {"place", "unit"}},
      {u"MARKET x", 0, 0, kAll, {}, {"place"}},
      {u"王五", 0, 0, kAll, {}, {"inspector"}},
      {u"4e2d", 0, 0, kAll, {}, {"escape"}},  // not inside the escape of "中"
      {u"中4", 0, 0, kAll, {}, {"escape"}},
      {u"\\u9ec4", 0, 0, kAll, {}, {"backslash"}},
      {u"50.0", 0, 0, kAll, {}, {}},  // the standard is not searched
      {code.ToStd(), 0, 0, kAll, {}, {"inspector"}},
      {code.Mid(3, 5).ToStd(), 0, 0, kAll, {}, {"inspector"}},
      {(code + u"0").ToStd(), 0, 0, kAll, {}, {}},  // past the 12 digits
      {u"",
       20190301,
       20190331,
       kAll,
       {},
       {"sample", "tested", "place", "unit", "inspector", "escape", "backslash", "midnight",
        "lastSecond", "failed"}},
      {u"", 20190401, 20190401, kAll, {}, {"nextMonth"}},
      {u"", 20200229, 0, kAll, {}, {"leapDay"}},
      {u"", 0, 20190228, kAll, {}, {}},
      {u"", 0, 0, RecordFilter::Result::kFailed, {}, {"failed"}},
      {u"", 0, 0, kAll, RecordFilter::Upload::kUploaded, {"unit"}},
      {u"站",
       20190301,
       20190305,
       kAll,
       RecordFilter::Upload::kNotUploaded,
       {"sample", "tested", "place", "inspector", "escape", "backslash", "midnight", "failed"}},
      {u"站", 0, 0, RecordFilter::Result::kPassed, RecordFilter::Upload::kUploaded, {"unit"}},
      {u"没有", 0, 0, kAll, {}, {}},
  };
  for (const Case& c : cases) {
    RecordFilter filter;
    filter.text = String(c.text);
    filter.fromDate = c.from;
    filter.toDate = c.to;
    filter.result = c.result;
    filter.upload = c.upload;
    EXPECT_EQ(Find(filter), c.expected)
        << String(c.text).ToBytes(cp::kUtf8) << " " << c.from << "-" << c.to;
  }
  EXPECT_EQ(Find(RecordFilter()).size(), named_.size());
}

TEST_F(RecordFindTest, NarrowingFromTheRowsShownGivesWhatAFullFilterGives) {
  NcItemList many;
  VariedRecords varied;
  for (int i = 0; i < 30000; ++i) {  // enough for the two-thread path
    String key, text;
    varied.Next(key, text);
    many.Append(key, text, false, i % 7 == 0, u"ID");
  }
  RecordView view;
  for (const char16_t* text : {u"城", u"城东", u"城东1", u"城东12号"}) {
    RecordFilter filter;
    filter.text = text;
    filter.upload = RecordFilter::Upload::kNotUploaded;
    view.SetFilter(many, filter);
    EXPECT_EQ(view.Rows(), FilterRecords(many, filter)) << String(text).ToBytes(cp::kUtf8);
    EXPECT_GT(view.RowCount(many), 0u);
  }
}

TEST(RecordSortTest, NumbersAsNumbersTextsByCodePointEqualKeysInStoredOrder) {
  NcItemList list;
  struct Row {
    const char16_t* rate;
    const char16_t* inspector;
    const char16_t* time;
  } rows[] = {
      {u"9.5", u"张", u"190305101010"},
      {u"10.0", u"李", u"190305101009"},
      {u"-1", u"张", u"190305101011"},
      {u"abc", u"Zoe", u"190305101008"},
      {u"9.50", u"\xd83d\xde00", u"190305101010"},
      {u"", u"\uffff", u"190305101012"},
  };
  for (const Row& r : rows) {
    // Written out, not through a frame: GBK has no U+FFFF or U+1F600.
    const String text = String(r.time) + u"+04+" + r.rate + u"+21.6+40.6+1.000+1+place+3612.3456+" +
                        u"10349.1234+unit+" + r.inspector + u"+tested+sample+50.0\r\n";
    ASSERT_NE(list.Append(u"k", text, false, false, u""), nullptr);
  }
  auto sorted = [&](int column, bool descending) {
    std::vector<uint32_t> order{0, 1, 2, 3, 4, 5};
    SortRows(list, order, column, descending);
    return order;
  };
  using Order = std::vector<uint32_t>;
  // Rate: numbers first (9.5 and 9.50 equal: stored order), then texts.
  EXPECT_EQ(sorted(3, false), (Order{2, 0, 4, 1, 5, 3}));
  EXPECT_EQ(sorted(3, true), (Order{3, 5, 1, 0, 4, 2}));
  // Inspector by code point: Z, 张 (U+5F20), 李 (U+674E), U+FFFF, then U+1F600.
  EXPECT_EQ(sorted(7, false), (Order{3, 0, 2, 1, 5, 4}));
  EXPECT_EQ(sorted(7, true), (Order{4, 5, 1, 0, 2, 3}));
  // Test time, equal times in stored order.
  EXPECT_EQ(sorted(9, false), (Order{3, 1, 0, 4, 2, 5}));
  std::vector<uint32_t> byCode{0, 1, 2, 3, 4, 5};
  SortRows(list, byCode, kTraceCodeColumn, false);
  for (size_t i = 1; i < byCode.size(); ++i) {
    EXPECT_LE(TraceCode(list[byCode[i - 1]]).ToStd(), TraceCode(list[byCode[i]]).ToStd());
  }
}

TEST(RecordViewTest, NewRecordsFindTheirPlaceAndRemovalsKeepTheRest) {
  NcItemList list;
  auto add = [&](const char16_t* sample, const char16_t* rate) {
    FrameFields f;
    f.sample = sample;
    f.rate = rate;
    list.Append(u"k", Text(f), false, false, u"");
    return static_cast<uint32_t>(list.Count() - 1);
  };
  add(u"毛豆", u"30.0");
  add(u"黄瓜", u"10.0");
  add(u"毛豆", u"20.0");
  RecordView view;
  EXPECT_TRUE(view.IsWhole());
  EXPECT_EQ(view.Appended(list, add(u"白菜", u"5.0")), 3) << "the whole list: at its end";
  RecordFilter filter;
  filter.text = u"毛豆";
  view.SetFilter(list, filter);
  view.SetSort(list, 3, false);  // by rate
  EXPECT_EQ(view.Rows(), (std::vector<uint32_t>{2, 0}));
  EXPECT_EQ(view.Appended(list, add(u"黄瓜", u"25.0")), -1) << "hidden by the filter";
  EXPECT_EQ(view.Appended(list, add(u"毛豆", u"25.0")), 1) << "between 20 and 30";
  EXPECT_EQ(view.Appended(list, add(u"毛豆", u"20.0")), 1) << "after its equal";
  EXPECT_EQ(view.Rows(), (std::vector<uint32_t>{2, 6, 5, 0}));
  // Records 0 and 5 go; the others move up.
  std::vector<uint32_t> newIndex{UINT32_MAX, 0, 1, 2, 3, UINT32_MAX, 4};
  view.Removed(newIndex);
  EXPECT_EQ(view.Rows(), (std::vector<uint32_t>{1, 4}));
  view.Reset();
  EXPECT_TRUE(view.IsWhole());
  EXPECT_EQ(view.RecordAt(5), 5u);
}

TEST(RecordViewTest, ARecordWhoseUploadFlagChangesJoinsOrLeavesTheRowsInItsPlace) {
  NcItemList list;
  const char16_t* rates[] = {u"30.0", u"10.0", u"20.0", u"40.0"};
  for (const char16_t* rate : rates) {
    FrameFields f;
    f.rate = rate;
    list.Append(u"k", Text(f), false, false, u"");
  }
  list[0].uploaded = true;
  struct Case {
    const char* what;
    RecordFilter::Upload upload;
    int sortColumn;
    std::vector<uint32_t> uploadedNow;  // flags set before Changed
    std::vector<uint32_t> rows;
  } cases[] = {
      {"joins in stored order", RecordFilter::Upload::kUploaded, -1, {2}, {0, 2}},
      {"joins in rate order", RecordFilter::Upload::kUploaded, 3, {1, 3}, {1, 0, 3}},
      {"leaves", RecordFilter::Upload::kNotUploaded, -1, {1, 2}, {3}},
      {"nothing to do", RecordFilter::Upload::kUploaded, -1, {}, {0}},
  };
  for (const Case& c : cases) {
    for (uint32_t i = 1; i < list.Count(); ++i) list[i].uploaded = false;
    RecordView view;
    RecordFilter filter;
    filter.upload = c.upload;
    view.SetFilter(list, filter);
    if (c.sortColumn >= 0) view.SetSort(list, c.sortColumn, false);
    for (const uint32_t i : c.uploadedNow) list[i].uploaded = true;
    EXPECT_EQ(view.Changed(list, c.uploadedNow), !c.uploadedNow.empty()) << c.what;
    EXPECT_EQ(view.Rows(), c.rows) << c.what;
  }
}

}  // namespace

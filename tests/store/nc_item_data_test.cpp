#include "store/nc_item_data.h"

#include <gtest/gtest.h>

#include "device/record_hash.h"
#include "device/sample_record.h"
#include "store/record_text.h"

namespace {

String SampleText() { return String::FromBytes(SampleFrame().substr(3), cp::kGbk); }

std::string Utf8(const String& s) { return s.ToBytes(cp::kUtf8); }

TEST(NcItemDataTest, SampleRecordFillsEveryColumn) {
  ObjectList<_NcItemData> records;
  const String text = SampleText();
  _NcItemData* r = AppendRecord(records, text, true, true, u"0123456789ABCDEF");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(records.Count(), 1u);
  const char16_t* expected[15] = {
      u"已上传", u"毛豆",   u"不合格", u"99.9％", u"",
      u"",       u"",       u"",       u"50.0％", u"2019-03-05 15:16:04",
      u"21.6℃",  u"40.6％", u"(0,0)",  u"1.000",  u"04"};
  for (int i = 0; i < 15; ++i) {
    EXPECT_TRUE(r->columns[i] == expected[i]) << "column " << i << ": " << Utf8(r->columns[i]);
  }
  for (int i = 15; i < 20; ++i) EXPECT_EQ(r->columns[i].Length(), 0u);
  EXPECT_TRUE(r->key == u"190305151604");
  EXPECT_TRUE(r->selected);
  EXPECT_TRUE(r->uploaded);
  EXPECT_TRUE(r->uid == ComputeRecordHash(text, u"0123456789ABCDEF")) << "over the untrimmed text";
  EXPECT_EQ(r->uid.Length(), 40u);
}

TEST(NcItemDataTest, FieldCountResultFlagAndUploadStateDecideTheRow) {
  struct Case {
    const char16_t* text;
    bool uploaded;
    bool isRecord;
    const char16_t* result;
    const char16_t* column0;
  } cases[] = {
      {u"t+1+2+3+4+5+0+7+8+9+10+11+12+13+14", false, true, u"不合格", u""},
      {u"t+1+2+3+4+5+ 0 +7+8+9+10+11+12+13+14", true, true, u"不合格", u"已上传"},
      {u"t+1+2+3+4+5+1+7+8+9+10+11+12+13+14", false, true, u"合格", u""},
      {u"t+1+2+3+4+5+00+7+8+9+10+11+12+13+14", false, true, u"合格", u""},
      {u"t+1+2+3+4+5++7+8+9+10+11+12+13+14", false, true, u"合格", u""},
      {u"t+1+2+3+4+5+0+7+8+9+10+11+12+13", false, false, nullptr, nullptr},
      {u"", false, false, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    ObjectList<_NcItemData> records;
    _NcItemData* r = AppendRecord(records, c.text, false, c.uploaded, u"");
    EXPECT_EQ(r != nullptr, c.isRecord) << Utf8(c.text);
    EXPECT_EQ(records.Count(), c.isRecord ? 1u : 0u);
    if (!r) continue;
    EXPECT_TRUE(r->columns[2] == c.result) << Utf8(c.text);
    EXPECT_TRUE(r->columns[0] == c.column0) << Utf8(c.text);
  }
}

TEST(RecordTextTest, TestTimeIsCutByPosition) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"190305151604", u"2019-03-05 15:16:04"},
      {u"", u"20-- ::"},
      {u"1903051", u"2019-03-05 1::"},
      {u"19030515160499", u"2019-03-05 15:16:04"},
  };
  for (const Case& c : cases) {
    String t(c.in);
    FormatTestTime(t);
    EXPECT_TRUE(t == c.out) << Utf8(t);
  }
}

TEST(RecordTextTest, LocationFollowsTheDetectorDigitsIncludingOddCases) {
  struct Case {
    const char16_t* latitude;
    const char16_t* longitude;
    const char16_t* text;
  } cases[] = {
      {u"3612.345600", u"10349.123400", u"(36°12'34.56\",103°49'12.34\")"},
      {u"3612.345600", u"000000000000", u"(0,0)"},
      {u"3612.345600", u"", u"(0,0)"},
      {u"", u"1.5", u"(0°00'00.00\",0°01'00.00\")"},
      {u"36", u"10349.123400", u"(0°00'00.00\",103°49'12.34\")"},
      {u"3612.3", u"10349.123400", u"(36°12'00.00\",103°49'12.34\")"},
      {u"-612.345600", u"-0349.123400", u"(-6°12'34.56\",-3°49'12.34\")"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(FormatLocation(c.latitude, c.longitude) == c.text)
        << Utf8(FormatLocation(c.latitude, c.longitude));
  }
}

}  // namespace

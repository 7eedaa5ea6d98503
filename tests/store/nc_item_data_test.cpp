#include "store/nc_item_data.h"

#include <gtest/gtest.h>

#include "device/frame_builder.h"
#include "device/record_hash.h"
#include "device/sample_record.h"
#include "store/record_text.h"

namespace {

std::string Utf8(const String& s) { return s.ToBytes(cp::kUtf8); }

// Every field of the varied record is different, so each column's source
// shows; the detector's own sample leaves place, units and inspector blank.
TEST(NcItemDataTest, EveryColumnComesFromItsOwnField) {
  struct Case {
    std::string frame;
    const char16_t* columns[15];
  } cases[] = {
      {BuildFrame(FrameFields()),
       {u"已上传", u"毛豆", u"不合格", u"87.5％", u"城东市场三号摊", u"城东农贸市场", u"县农检站",
        u"张敏", u"50.0％", u"2019-03-05 15:16:04", u"21.6℃", u"40.6％",
        u"(36°12'34.56\",103°49'12.34\")", u"1.000", u"04"}},
      {SampleFrame(),
       {u"已上传", u"毛豆", u"不合格", u"99.9％", u"", u"", u"", u"", u"50.0％",
        u"2019-03-05 15:16:04", u"21.6℃", u"40.6％", u"(0,0)", u"1.000", u"04"}},
  };
  for (const Case& c : cases) {
    NcItemList records;
    const String text = String::FromBytes(c.frame.substr(3), cp::kGbk);
    _NcItemData* r = records.Append(RecordTestTime(text), text, true, true, u"0123456789ABCDEF");
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(records.Count(), 1u);
    const RecordColumns columns = r->Columns();
    for (int i = 0; i < 15; ++i) {
      EXPECT_TRUE(columns.cell[i] == c.columns[i])
          << "column " << i << ": " << Utf8(columns.cell[i]);
      EXPECT_TRUE(records.Cell(0, i) == c.columns[i]) << "listed column " << i;
    }
    EXPECT_TRUE(r->Key() == u"190305151604");
    EXPECT_TRUE(r->selected);
    EXPECT_TRUE(r->uploaded);
    EXPECT_TRUE(r->Uid() == ComputeRecordHash(text, u"0123456789ABCDEF"))
        << "over the untrimmed text";
    EXPECT_EQ(r->Uid().Length(), 40u);
  }
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
    NcItemList records;
    _NcItemData* r = records.Append(u"t", c.text, false, c.uploaded, u"");
    EXPECT_EQ(r != nullptr, c.isRecord) << Utf8(c.text);
    EXPECT_EQ(records.Count(), c.isRecord ? 1u : 0u);
    if (!r) continue;
    EXPECT_TRUE(r->Columns().cell[2] == c.result) << Utf8(c.text);
    EXPECT_TRUE(r->Columns().cell[0] == c.column0) << Utf8(c.text);
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

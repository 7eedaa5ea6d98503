#include "device/record_fields.h"

#include <gtest/gtest.h>

#include "device/sample_record.h"

namespace {

TEST(RecordFieldsTest, SampleRecordSplitsIntoFifteenTrimmedFields) {
  String text = String::FromBytes(SampleFrame().substr(3), cp::kGbk);
  ObjectList<String> fields;
  ASSERT_EQ(SplitRecordFields(text, fields), 15u);
  const char16_t* expected[] = {
      u"190305151604", u"04",           u"99.9", u"21.6", u"40.6", u"1.000", u"0",   u"",
      u"000000000000", u"000000000000", u"",     u"",     u"",     u"毛豆",  u"50.0"};
  for (uint32_t i = 0; i < 15; ++i) {
    EXPECT_TRUE(fields[i] == expected[i]) << "field " << i << ": " << fields[i].ToBytes(cp::kUtf8);
  }
}

TEST(RecordFieldsTest, EmptyAndShortTextsGiveTheirPieces) {
  struct Case {
    const char16_t* text;
    uint32_t count;
  } cases[] = {{u"", 0}, {u"a++b", 3}, {u"a+b+", 3}, {u" \u3000 ", 1}};
  for (const Case& c : cases) {
    ObjectList<String> fields;
    EXPECT_EQ(SplitRecordFields(c.text, fields), c.count);
    for (uint32_t i = 0; i < fields.Count(); ++i) {
      EXPECT_EQ(fields[i].Find(u" "), -1);
    }
  }
}

}  // namespace

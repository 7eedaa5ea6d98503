#include "base/code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePageTest, GbkRoundTripsChineseTextAndTheEuroSign) {
  const std::u16string text = u"农残检测仪 合格 不合格 ℃ ％ €";
  std::string bytes = cp::Utf16ToGbk(text);
  EXPECT_EQ(bytes.substr(0, 4), "\xC5\xA9\xB2\xD0");  // 农残
  EXPECT_EQ(cp::GbkToUtf16(bytes), text);
  EXPECT_EQ(cp::Utf16ToGbk(u"€"), "\x80");
}

TEST(CodePageTest, BadInputIsReplacedWithoutLosingWhatFollows) {
  struct Case {
    std::string bytes;
    std::u16string expected;
  } gbk[] = {
      {"a\xFF"
       "b",
       u"a\uFFFD"
       "b"},                          // 0xFF starts nothing in GBK
      {"\xC3\xAB\xC3", u"毛\uFFFD"},  // a lead byte cut off at the end
      {"\x81\x20z", u"\uFFFD z"},     // a lead byte with a bad trail byte
  };
  for (const Case& c : gbk) EXPECT_EQ(cp::GbkToUtf16(c.bytes), c.expected);

  Case utf8[] = {
      {"\xE8\xB1\x86", u"豆"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\xC0\xAFz", u"a\uFFFD\uFFFDz"},          // overlong '/'
      {"\xED\xA0\x80!", u"\uFFFD\uFFFD\uFFFD!"},  // an encoded surrogate
      {"\xE8\xB1", u"\uFFFD\uFFFD"},              // cut short
  };
  for (const Case& c : utf8) EXPECT_EQ(cp::Utf8ToUtf16(c.bytes), c.expected);
}

TEST(CodePageTest, CharactersTheCodePageLacksBecomeQuestionMarks) {
  EXPECT_EQ(cp::Utf16ToGbk(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(cp::Utf16ToGbk(u"x\xD800y"), "x?y");
  // ASCII runs and the runs between them, as an export mixes them.
  EXPECT_EQ(cp::Utf16ToGbk(u"12.5\uFF05  \u6BDB\u8C46\U0001F600ok\xDC00\u6BDB"),
            "12.5\xA3\xA5  \xC3\xAB\xB6\xB9?ok?\xC3\xAB");
  EXPECT_EQ(cp::Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(cp::Utf16ToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
  std::string untouched = "keep";
  EXPECT_FALSE(cp::FromUtf16(u"a", 1, 437, untouched));
  EXPECT_EQ(untouched, "keep");
}

}  // namespace

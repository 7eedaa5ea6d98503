#include "base/code_page.h"

#include <gtest/gtest.h>

#include "base/gbk_codec.h"

namespace {

// The two-byte codes of code page 936 and a digest of their characters, as
// Windows reads them: every code of the grid has a character.
constexpr int kGbkCodes = 126 * 190;
constexpr uint64_t kGbkTableDigest = 5755135426776308747u;

TEST(CodePageTest, GbkRoundTripsChineseTextAndTheEuroSign) {
  const std::u16string text = u"农残检测仪 合格 不合格 ℃ ％ €";
  std::string bytes = cp::Utf16ToGbk(text);
  EXPECT_EQ(bytes.substr(0, 4), "\xC5\xA9\xB2\xD0");  // 农残
  EXPECT_EQ(cp::GbkToUtf16(bytes), text);
  EXPECT_EQ(cp::Utf16ToGbk(u"€"), "\x80");
  // The codes GBK leaves to the user keep their bytes, as on Windows.
  EXPECT_EQ(cp::GbkToUtf16("\xAA\xA1\xA1\x40\xFE\xA0"), u"\uE000\uE4C6\uE864");
  EXPECT_EQ(cp::Utf16ToGbk(u"\uE000\uE4C6\uE864"), "\xAA\xA1\xA1\x40\xFE\xA0");
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
// Every two-byte GBK code decodes to one character that encodes back to the
// same two bytes, and both directions agree with the whole table at once; a
// digest of the whole table holds the converters of both systems (iconv with
// the private-use codes on Linux, code page 936 on Windows) to the same
// characters.
TEST(CodePageTest, EveryGbkCodeRoundTripsAndTheTableIsTheSameEverywhere) {
  std::string all;
  int codes = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
      std::u16string text;
      cp::DecodeGbk(bytes.data(), bytes.size(), text);
      if (text.size() != 1 || text[0] == 0xFFFD) continue;  // not a code of the table
      ++codes;
      std::string back;
      cp::EncodeGbk(text.data(), text.size(), back);
      ASSERT_EQ(back, bytes) << std::hex << lead << " " << trail;
      all += bytes;
    }
  }
  std::u16string decoded;
  cp::DecodeGbk(all.data(), all.size(), decoded);
  std::string encoded;
  cp::EncodeGbk(decoded.data(), decoded.size(), encoded);
  EXPECT_EQ(encoded, all);
  uint64_t digest = 14695981039346656037u;  // FNV-1a over the characters in code order
  for (const char16_t c : decoded) digest = (digest ^ c) * 1099511628211u;
  EXPECT_EQ(codes, kGbkCodes);
  EXPECT_EQ(digest, kGbkTableDigest) << std::hex << digest;
}

// The per-unit table against the converter itself: every unit of the first
// plane alone, and texts where surrogates (pairs and lone halves) meet.
TEST(CodePageTest, UnitByUnitGbkIsWhatTheConverterMakes) {
  for (char32_t c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c < 0xE000) continue;
    const char16_t unit = static_cast<char16_t>(c);
    std::string table, converter;
    cp::AppendGbk(&unit, 1, table);
    cp::EncodeGbk(&unit, 1, converter);
    ASSERT_EQ(table, converter) << std::hex << static_cast<unsigned>(c);
  }
  const std::u16string texts[] = {
      u"a\xd83d\xde00z",   u"\xd800",       u"\xdc00x", u"\xd800\xd800\xdc00",
      u"中\xdbff\xdfff文", u"\xdc00\xd800", u"",
  };
  for (const std::u16string& text : texts) {
    std::string table, converter;
    cp::AppendGbk(text.data(), text.size(), table);
    cp::EncodeGbk(text.data(), text.size(), converter);
    EXPECT_EQ(table, converter) << cp::Utf16ToUtf8(text);
  }
}

#include "base/string.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

std::vector<std::u16string> Pieces(const char16_t* text, const char16_t* separator) {
  ObjectList<String> list;
  uint32_t added = String::Split(String(text), separator, list);
  std::vector<std::u16string> out;
  for (uint32_t i = 0; i < list.Count(); ++i) out.push_back(list[i].ToStd());
  EXPECT_EQ(added, list.Count());
  return out;
}

TEST(StringTest, SplitKeepsEmptyPiecesAndHandlesDegenerateSeparators) {
  using P = std::vector<std::u16string>;
  struct Case {
    const char16_t* text;
    const char16_t* separator;
    P expected;
  } cases[] = {
      {u"a++b", u"+", P{u"a", u"", u"b"}},
      {u"+a+", u"+", P{u"", u"a", u""}},
      {u"a+b+", u"+", P{u"a", u"b", u""}},
      {u"", u"+", P{}},
      {u"abc", u"", P{u"abc"}},
      {u"ab", u"+++", P{u"ab"}},
      {u"a::b::", u"::", P{u"a", u"b", u""}},
      {u"毛豆+黄瓜", u"+", P{u"毛豆", u"黄瓜"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Pieces(c.text, c.separator), c.expected)
        << "splitting " << String(c.text).ToBytes(cp::kUtf8);
  }
}

TEST(StringTest, SplitAppendsToWhatTheListAlreadyHolds) {
  ObjectList<String> list;
  list.Add()->Assign(u"x", 1);
  EXPECT_EQ(String::Split(String(u"a+b"), u"+", list), 2u);
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_TRUE(list[0] == u"x");
  EXPECT_TRUE(list[2] == u"b");
}

TEST(StringTest, NegativePositionsCountFromTheEndAndRangesAreCut) {
  const String digits(u"10349");
  struct Case {
    String actual;
    const char16_t* expected;
  } cases[] = {
      {digits.Left(-2), u"103"},   {digits.Mid(-2), u"49"},    {String(u"3612").Mid(5, 2), u""},
      {digits.Left(10), u"10349"}, {digits.Left(-10), u""},    {digits.Mid(1, 2), u"03"},
      {digits.Mid(-10, 2), u"10"}, {digits.Mid(3, 10), u"49"}, {digits.Mid(2, -1), u""},
      {digits.Left(0), u""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_TRUE(cases[i].actual == cases[i].expected) << "case " << i;
  }
}

TEST(StringTest, AppendsGrowByPowersOfTwoAndAssignmentsExactly) {
  String s;
  EXPECT_TRUE(s.IsNull());
  s.Append(u"a");
  EXPECT_EQ(s.Cubage(), 7u);
  s.Append(u"bcdefg");  // 7 characters still fit
  EXPECT_EQ(s.Cubage(), 7u);
  s.Append(u"h");
  EXPECT_EQ(s.Cubage(), 15u);
  s.Append(u"ijklmnopq");
  EXPECT_EQ(s.Cubage(), 31u);
  EXPECT_TRUE(s == u"abcdefghijklmnopq");

  String assigned(u"12345678901");
  EXPECT_EQ(assigned.Cubage(), 11u);
  String empty(u"");
  EXPECT_TRUE(empty.NotNull());
  EXPECT_EQ(empty.Length(), 0u);
  empty.Append(u"x");
  EXPECT_EQ(empty.Cubage(), 7u);
  String fromNull(static_cast<const char16_t*>(nullptr));
  EXPECT_TRUE(fromNull.NotNull());
  EXPECT_TRUE(fromNull == u"");
}

TEST(StringTest, TrimRemovesTheWholeBlankSetAndNothingElse) {
  String name(u" 毛豆\u3000");
  name.Trim();
  EXPECT_TRUE(name == u"毛豆");

  const char16_t blanks[] =
      u" \n\r\t\f\v\u00A0\u2000\u2001\u2002\u2003\u2004\u2005\u2006"
      u"\u2007\u2008\u2009\u200A\u200B\u2028\u2029\u3000";
  ASSERT_EQ(std::size(blanks) - 1, 22u);
  String padded = String(blanks) + u"x\u200Cy" + blanks;
  padded.TrimLeft();
  EXPECT_TRUE(padded.ToStd().rfind(u"x\u200Cy", 0) == 0);
  padded.TrimRight();
  EXPECT_TRUE(padded == u"x\u200Cy");

  String allBlank(blanks);
  allBlank.Trim();
  EXPECT_TRUE(allBlank == u"");
}

TEST(StringTest, FormatHandlesWideAndNarrowTextsAndRejectsBadFormats) {
  struct Case {
    bool ok;
    String text;
  };
  auto run = [](const char16_t* format, auto... args) {
    String s(u"old");
    bool ok = s.Format(format, args...);
    return Case{ok, s};
  };
  Case good[] = {
      run(u"此串口未找到: %s", u"COM3"),
      run(u"无法连接服务器: %s:%d", u"127.0.0.1", 8080),
      run(u"[%-5s|%5s]", u"ab", u"cd"),
      run(u"%hs=%03d%%", "rate", 7),
      run(u"%#.16g %X %c", 0.1, 255u, int(u'豆')),
      run(u"%I64d %lld %.2s", 1234567890123LL, -5LL, u"abc"),
      run(u"%05d|%-4d|%3u|%d|%+d|%hd", -42, 7, 5u, INT_MIN, 3, 65537),
  };
  const char16_t* expected[] = {u"此串口未找到: COM3",
                                u"无法连接服务器: 127.0.0.1:8080",
                                u"[ab   |   cd]",
                                u"rate=007%",
                                u"0.1000000000000000 FF 豆",
                                u"1234567890123 -5 ab",
                                u"-0042|7   |  5|-2147483648|+3|1"};
  static_assert(std::size(good) == std::size(expected));
  for (size_t i = 0; i < std::size(good); ++i) {
    EXPECT_TRUE(good[i].ok) << "case " << i;
    EXPECT_TRUE(good[i].text == expected[i])
        << "case " << i << ": " << good[i].text.ToBytes(cp::kUtf8);
  }
  Case bad[] = {run(u"%q", 1), run(u"trailing %"), run(u"%n", nullptr)};
  for (const Case& c : bad) {
    EXPECT_FALSE(c.ok);
    EXPECT_TRUE(c.text == u"");
  }
}

TEST(StringTest, FindReportsMissesAndEmptyStringsAsMinusOne) {
  EXPECT_EQ(String(u"ab+cd+").Find(u"+"), 2);
  EXPECT_EQ(String(u"ab+cd+").Find(u"+", 3), 5);
  EXPECT_EQ(String(u"ab+cd+").Find(u"+", -1), 5);
  EXPECT_EQ(String(u"abc").Find(u"x"), -1);
  EXPECT_EQ(String(u"").Find(u"a"), -1);
  EXPECT_EQ(String().Find(u"a"), -1);
  EXPECT_EQ(String(u"abc").Find(u"abcd"), -1);
}

TEST(StringTest, MultiByteConversionFillsTheBlockAndLeavesItOnFailure) {
  Memory<char> block;
  EXPECT_EQ(String(u"毛豆").ToMultiByte(block, cp::kGbk), 4u);
  ASSERT_GE(block.Length(), 5u);
  EXPECT_EQ(std::string(block.Data(), 4), "\xC3\xAB\xB6\xB9");
  EXPECT_EQ(block[4], 0);

  Memory<char> untouched(3);
  untouched[0] = 'z';
  EXPECT_EQ(String().ToMultiByte(untouched, cp::kGbk), 0u);
  EXPECT_EQ(String(u"abc").ToMultiByte(untouched, 12345), 0u);
  EXPECT_EQ(untouched.Length(), 3u);
  EXPECT_EQ(untouched[0], 'z');

  String back;
  back.FromMultiByte("\xBB\xC6\xB9\xCF ok");
  EXPECT_TRUE(back == u"黄瓜 ok");
  EXPECT_EQ(String(u"合格").ToBytes(cp::kUtf8), "\xE5\x90\x88\xE6\xA0\xBC");
}

TEST(StringTest, SelfReferencingAssignmentsAndMovesKeepTheText) {
  String s(u"0123456789");
  s = s.Mid(2, 3);
  EXPECT_TRUE(s == u"234");
  s.Append(s);
  EXPECT_TRUE(s == u"234234");
  String moved(std::move(s));
  EXPECT_TRUE(moved == u"234234");
  String sum = String(u"a") + u"b" + String(u"c");
  EXPECT_TRUE(sum == u"abc");
  EXPECT_EQ(sum.RevElement(0), u'c');
  EXPECT_EQ(sum.Element(3), 0);
}

TEST(StringTest, LocalStringOutgrowsItsInlineBufferSafely) {
  LocalString<4> key(u"ab");
  EXPECT_EQ(key.Cubage(), 4u);
  key.Append(u"cdefgh");
  EXPECT_TRUE(key == u"abcdefgh");
  EXPECT_GT(key.Cubage(), 4u);
  LocalString<4> copy(key);
  EXPECT_TRUE(copy == u"abcdefgh");
  key = String(u"x");
  EXPECT_TRUE(key == u"x");
  String heap(std::move(copy));
  EXPECT_TRUE(heap == u"abcdefgh");
  LocalString<8> small(u"short");
  String taken(std::move(small));  // the inline buffer is copied, not stolen
  small = String(u"overwritten");
  EXPECT_TRUE(taken == u"short");
}

}  // namespace

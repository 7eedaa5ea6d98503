#include "base/json.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/file_io.h"
#include "tests/support/temp_dir.h"

namespace {

std::u16string Text(const Json& node, bool pretty) { return node.ToText(pretty).ToStd(); }

std::string Utf8(const std::u16string& s) { return String(s).ToBytes(cp::kUtf8); }

Json Parsed(const char16_t* text, int* end = nullptr) {
  Json node;
  int position = node.Parse(text, static_cast<int>(std::char_traits<char16_t>::length(text)));
  if (end) *end = position;
  return node;
}

TEST(JsonWriterTest, WritesEachExampleByteForByteInBothModes) {
  Json pair;
  pair[0]->operator=(1);
  *pair[1] = 2.5;
  Json member;
  member.SetPropertyInt32(u"a", 1);
  Json nested;
  nested.SetPropertyArray(u"list")->AddArrayElm()->SetPropertyStr(u"k", u"v");
  nested.SetPropertyArray(u"empty");
  Json binary;
  binary.SetPropertyBinary(u"b", "abc", 3);
  Json escapes(
      u"\u00e9\u0101/\"\\\b\f\n\r\t\x01"
      "x");

  struct Case {
    const char* what;
    Json node;
    std::u16string pretty;
    std::u16string compact;
  } cases[] = {
      {"array of 1 and 2.5", pair, u"[\r\n\t1,\r\n\t2.500000000000000\r\n]",
       u"[1,2.500000000000000]"},
      {"object a = 1", member, u"{\r\n\t\"a\" : 1\r\n}", u"{\"a\":1}"},
      {"nesting", nested,
       u"{\r\n\t\"list\" : [\r\n\t\t{\r\n\t\t\t\"k\" : \"v\"\r\n\t\t}\r\n\t],\r\n\t\"empty\" : "
       u"[\r\n\t]\r\n}",
       u"{\"list\":[{\"k\":\"v\"}],\"empty\":[]}"},
      {"empty object", Parsed(u"{}"), u"{\r\n}", u"{}"},
      {"3.5", Json(3.5), u"3.500000000000000", u"3.500000000000000"},
      {"100000.0", Json(100000.0), u"100000.0000000000", u"100000.0000000000"},
      {"1e20", Json(1e20), u"1.000000000000000e+20", u"1.000000000000000e+20"},
      {"1e-5", Json(1e-5), u"1.000000000000000e-05", u"1.000000000000000e-05"},
      {"0.0", Json(0.0), u"0.000000000000000", u"0.000000000000000"},
      {"8000.0", Json(8000.0), u"8000.000000000000", u"8000.000000000000"},
      {"-42", Json(-42), u"-42", u"-42"},
      {"int64 minimum", Json(static_cast<long long>(INT64_MIN)), u"-9223372036854775808",
       u"-9223372036854775808"},
      {"literals", Parsed(u"[true,false,null]"), u"[\r\n\ttrue,\r\n\tfalse,\r\n\tnull\r\n]",
       u"[true,false,null]"},
      {"binary abc", binary, u"{\r\n\t\"b\" : 'YWJj'\r\n}", u"{\"b\":'YWJj'}"},
      {"escapes", escapes, u"\"\u00e9\u0101/\\\"\\\\\\b\\f\\n\\r\\t\x01x\"",
       u"\"\u00e9\\u0101\\/\\\"\\\\\\b\\f\\n\\r\\t\x01x\""},
      {"wide characters escaped in compact mode only", Json(u"\u6bdb\u8c46"), u"\"毛豆\"",
       u"\"\\u6bdb\\u8c46\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(c.node, true), c.pretty) << c.what << ": " << Utf8(Text(c.node, true));
    EXPECT_EQ(Text(c.node, false), c.compact) << c.what << ": " << Utf8(Text(c.node, false));
  }
  EXPECT_EQ(Text(Parsed(u"\"a\\u0000b\""), false), u"\"ab\"") << "U+0000 is dropped";
  Json surrogate(u"\U0001F600");
  EXPECT_EQ(Text(surrogate, false), u"\"\\ud83d\\ude00\"");
}

TEST(JsonParserTest, AcceptsTheLenientFormsAndRefusesBrokenOnes) {
  struct Case {
    const char16_t* text;
    bool ok;
    const char16_t* compactAfter;  // what the parsed tree writes (for accepted texts)
  } cases[] = {
      {u"[1 2 3]", true, u"[1,2,3]"},
      {u"[1,]", false, nullptr},
      {u"[,1]", false, nullptr},
      {u"[1", false, nullptr},
      {u"[1,", false, nullptr},
      {u"{\"a\":1,}", false, nullptr},
      {u"{\"a\":1 \"b\":2}", true, u"{\"a\":1,\"b\":2}"},
      {u"{\"k\":1,\"k\":2}", true, u"{\"k\":1,\"k\":2}"},
      {u"[-7]", true, u"[-7]"},
      {u"1e3", true, u"1000.000000000000"},
      {u"True", false, nullptr},
      {u"123abc", false, nullptr},
      {u"\u3000{}\u00a0 trailing", true, u"{}"},
      {u"[\"\\u00e9\\/\"]", true, u"[\"\u00e9\\/\"]"},
      {u"'YWJj'", true, u"'YWJj'"},
      {u"'YW Jj'", true, u"''"},
      {u"'YW\r\nJj'", true, u"'YWJj'"},
      {u"'YWJj", false, nullptr},
      {u"\"open", false, nullptr},
      {u"\"a\\\\\"", true, u"\"a\\\\\""},
      {u"\"q\\\"x\"", true, u"\"q\\\"x\""},
      {u"{'k\":1}", true, u"{\"k\":1}"},
      {u"{\"k\" 1}", false, nullptr},
      {u"{1:2}", false, nullptr},
      {u"99999999999999999999", true, u"9223372036854775807"},
      {u"[0x10]", true, u"[16.00000000000000]"},
      {u"\"bad \\q escape\"", true, u"\"bad \\\\q escape\""},
      {u"", true, u"null"},
      {u" \r\n ", true, u"null"},
  };
  for (const Case& c : cases) {
    int end;
    Json node = Parsed(c.text, &end);
    EXPECT_EQ(end != -1, c.ok) << Utf8(c.text);
    if (c.ok && end != -1) {
      EXPECT_EQ(Text(node, false), c.compactAfter) << Utf8(c.text);
    }
  }
  int end;
  Parsed(u"  {}  trailing", &end);
  EXPECT_EQ(end, 4);
}

TEST(JsonParserTest, HostileNestingFailsInsteadOfCrashing) {
  std::u16string deep(200000, u'[');
  Json node;
  EXPECT_EQ(node.Parse(deep.data(), static_cast<int>(deep.size())), -1);
  std::u16string fine = std::u16string(100, u'[') + std::u16string(100, u']');
  EXPECT_NE(node.Parse(fine.data(), static_cast<int>(fine.size())), -1);
}

TEST(JsonTest, AccessorsConvertOnlyWhereAllowed) {
  Json doc;
  ASSERT_NE(doc.Parse(u"{\"k\":1,\"k\":2,\"d\":-2.9,\"s\":\"t\",\"b\":true,"
                      u"\"big\":4294967297,\"arr\":[1,2.5,\"x\",false]}",
                      200),
            -1);
  EXPECT_EQ(doc.PropertyInt32(u"k", 0), 1) << "duplicate keys: the first wins";
  EXPECT_EQ(doc.PropertyInt32(u"d", 0), -2) << "truncated toward zero";
  EXPECT_EQ(doc.PropertyInt32(u"big", 0), 1) << "low 32 bits";
  EXPECT_EQ(doc.PropertyInt64(u"big", 0), 4294967297LL);
  EXPECT_DOUBLE_EQ(doc.PropertyDouble(u"k", 0), 1.0);
  EXPECT_EQ(doc.PropertyInt32(u"s", 7), 7);
  EXPECT_FALSE(doc.PropertyBool(u"k", false));
  EXPECT_TRUE(doc.PropertyBool(u"b", false));
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"missing", u"dflt")), u"dflt");
  String s(u"untouched");
  EXPECT_FALSE(doc.GetPropertyStr(u"k", s));
  EXPECT_TRUE(s == u"untouched");

  const Json& arr = *doc.FindProperty(u"arr");
  int i = 0;
  double d = 0;
  EXPECT_TRUE(arr.GetArrayInt32(i, 0));
  EXPECT_FALSE(arr.GetArrayDouble(d, 0)) << "an Integer element is not a double";
  EXPECT_TRUE(arr.GetArrayDouble(d, 1));
  EXPECT_FALSE(arr.GetArrayInt32(i, 1)) << "a Double element is not an integer";
  EXPECT_FALSE(arr.GetArrayStr(s, 9));
  EXPECT_EQ(arr.Count(), 4u);

  Json scalar(5);
  EXPECT_EQ(scalar[u"x"], nullptr) << "operator[] does not convert a non-object";
  EXPECT_EQ(scalar.GetProperty(u"x", false), nullptr);
  ASSERT_NE(scalar.GetProperty(u"x", true), nullptr);
  EXPECT_TRUE(scalar.IsObject()) << "GetProperty with create drops the old value";

  Json null;
  EXPECT_EQ(null[u"x"], nullptr);
  EXPECT_TRUE(null.IsNull());
  Json* last = null[3];
  ASSERT_NE(last, nullptr);
  EXPECT_TRUE(null.IsArray());
  EXPECT_EQ(null.Count(), 4u);
  EXPECT_EQ(last, null.GetArrayElm(3));
  EXPECT_EQ(null[-1], nullptr);
  EXPECT_EQ(Json(u"s")[0], nullptr);
}

TEST(JsonTest, CopiesAreDeepAndSettersKeepOrReplaceAsDocumented) {
  Json doc;
  doc.SetPropertyArray(u"ids")->AddArrayElm()->operator=(u"A1");
  Json copy(doc);
  doc.SetPropertyArray(u"ids")->AddArrayElm()->operator=(u"B2");
  EXPECT_EQ(doc.FindProperty(u"ids")->Count(), 2u) << "an existing array keeps its elements";
  EXPECT_EQ(copy.FindProperty(u"ids")->Count(), 1u) << "the copy is independent";
  doc.SetPropertyInt32(u"ids", 8000);
  EXPECT_EQ(Text(doc, false), u"{\"ids\":8000}");
  Json reread;
  reread.Parse(u"{\"ids\":8000}", 12);
  EXPECT_TRUE(reread.FindProperty(u"ids")->IsInteger());

  doc = *doc.FindProperty(u"ids");  // assigning a node its own child
  EXPECT_EQ(doc.Int32(0), 8000);

  Json cleared;
  cleared.Parse(u"{\"a\":[1,2],\"s\":\"x\"}", 20);
  cleared.GetProperty(u"a", false)->ClearContent();
  cleared.GetProperty(u"s", false)->ClearContent();
  EXPECT_EQ(Text(cleared, false), u"{\"a\":[],\"s\":\"\"}");
  cleared.ClearContent();
  EXPECT_EQ(Text(cleared, false), u"{}");

  int length = 0;
  Json bin;
  bin.SetPropertyBinary(u"b", "\x00\xff", 2);
  Json back;
  back.Parse(bin.ToText(false).Handle(), static_cast<int>(bin.ToText(false).Length()));
  const void* data = back.PropertyBinary(u"b", &length);
  ASSERT_EQ(length, 2);
  EXPECT_EQ(std::memcmp(data, "\x00\xff", 2), 0);
}

class JsonFileTest : public TempDirTest {};

TEST_F(JsonFileTest, EmptyFileIsANullDocumentAndMissingFileFails) {
  std::ofstream(Path("empty.Json")).close();
  Json doc;
  EXPECT_TRUE(doc.LoadFile(Path("empty.Json")));
  EXPECT_TRUE(doc.IsNull());
  EXPECT_EQ(doc.PropertyInt32(u"x", 5), 5);
  doc.GetProperty(u"x", true);
  EXPECT_TRUE(doc.IsObject());
  EXPECT_FALSE(doc.LoadFile(Path("missing.Json")));
  std::ofstream(Path("broken.Json")) << "{\"a\":";
  EXPECT_FALSE(doc.LoadFile(Path("broken.Json")));
}

TEST_F(JsonFileTest, SaveWritesPrettyGbkAndLoadReadsItBack) {
  Json doc;
  doc.SetPropertyStr(u"user_names", u"毛豆");
  doc.SetPropertyInt32(u"serv_port", 8000);
  ASSERT_TRUE(doc.SaveFile(Path("settings.Json")));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(Path("settings.Json"), bytes));
  EXPECT_EQ(bytes, "{\r\n\t\"user_names\" : \"\xC3\xAB\xB6\xB9\",\r\n\t\"serv_port\" : 8000\r\n}");
  Json back;
  ASSERT_TRUE(back.LoadFile(Path("settings.Json")));
  EXPECT_EQ(std::u16string(back.PropertyStr(u"user_names", u"")), u"毛豆");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file is left behind";
}

TEST_F(JsonFileTest, FailedSaveLeavesTheOldFileAsItWas) {
  std::filesystem::create_directories(Path("folder"));
  Json doc(1);
  EXPECT_FALSE(doc.SaveFile(Path("folder")));
  EXPECT_TRUE(std::filesystem::is_directory(Path("folder")));
  EXPECT_FALSE(doc.SaveFile(Path("no/such/dir.Json")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace

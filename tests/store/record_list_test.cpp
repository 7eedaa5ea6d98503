// The compact record list against the rows as they were built before it: a
// Json parse of every stored value and every column built at once. Any
// difference in a column, hash, key, flag or stored byte shows here.
#include <gtest/gtest.h>
#include <leveldb/db.h>

#include "device/record_hash.h"
#include "store/record_store.h"
#include "store/stored_value.h"
#include "tests/support/temp_dir.h"
#include "tests/support/varied_records.h"

namespace {

std::string Utf8(const String& s) { return s.ToBytes(cp::kUtf8); }

// Record texts with everything the stored form has to carry: escapes, units
// the writer leaves to the code page, surrogates, blanks the trim removes.
std::vector<String> TrickyTexts() {
  const char16_t* tails[] = {
      u"\"quoted\" \\back\\slash/",
      u"tab\there\r\nform\fbell\b",
      u"\u00b0\u00e9\u00ff\u0100\u0101",
      u"\u3000ideographic\u3000+\u00a0nbsp\u00a0",
      u"\xd83d\xde00 pair, lone \xd800 and \xdc00",
      u"\x01\x1f controls",
      u"中文、全角（括号）",
  };
  std::vector<String> texts;
  for (const char16_t* tail : tails) {
    String text(u"190305151604+04+87.5+21.6+40.6+1.000+0+");
    text.Append(tail);
    text.Append(u"+3612.345600+10349.123400+县农检站+张敏+");
    text.Append(tail);
    text.Append(u"+毛豆+50.0\r\n");
    texts.push_back(text);
  }
  return texts;
}

struct EagerRow {
  String key;
  String text;
  bool selected;
  bool uploaded;
};

// What the list held before: every stored value parsed into a Json tree.
std::vector<EagerRow> EagerLoad(RecordDb& db) {
  std::vector<EagerRow> rows;
  db.ForEach([&](String& key, Json& doc) {
    const String text = doc.PropertyStr(u"data", u"");
    if (IsRecordText(text)) {
      rows.push_back(
          {key, text, doc.PropertyBool(u"selected", false), doc.PropertyBool(u"uploaded", false)});
    }
    return false;
  });
  return rows;
}

class RecordListTest : public TempDirTest {
 protected:
  // A varied history, the tricky texts, and values another writer laid out
  // differently (pretty, upper-case escapes, a bare '/', Latin-1 as GBK).
  void StoreEverything() {
    RecordDb db(Path("storage"));
    VariedRecords().Store(db, 300);
    for (const String& text : TrickyTexts()) {
      ASSERT_TRUE(StoreReceivedRecord(db, u"190305151604", text).status);
    }
    ASSERT_TRUE(StoreReceivedRecord(db, u"键/\"中\"", TrickyTexts()[0]).status);
    const std::string record = "1+2+3+4+5+6+0+8+9+10+11+12+13+14+15";
    const std::pair<const char*, std::string> others[] = {
        {"990101000001", "{\r\n\t\"uploaded\" : true,\r\n\t\"data\" : \"" + record + "\"\r\n}"},
        {"990101000002",
         "{\"data\":\"" + record + "\\u4E2D/x\",\"selected\":true,\"uploaded\":false}"},
        {"990101000003",
         "{\"data\":\"" + record + "\\u00e9\",\"selected\":false,\"uploaded\":true}"},
        {"990101000004",
         "{\"data\":\"" + record + "\xA1\xE3\",\"selected\":true,\"uploaded\":false}"},
        {"990101000005",
         "{\"data\":\"" + record + "\\u0000cut\",\"selected\":true,\"uploaded\":false}"},
        {"990101000006", "{\"data\":\"" + record + "\\x\",\"selected\":true,\"uploaded\":false}"},
        {"990101000007", "{\"data\":\"" + record + "\",\"selected\":true}"},
        {"990101000008", "{\"data\":\"" + record + "\",\"uploaded\":false,\"selected\":true}"},
        {"990101000009", "{\"data\":\"" + record + "\\t\",\"selected\":1,\"uploaded\":true}"},
    };
    for (const auto& [key, value] : others) {
      RecordDb::Batch batch;
      batch.PutBytes(key, value);
      ASSERT_TRUE(db.Write(batch));
    }
  }
};

TEST_F(RecordListTest, LazyRowsHashesAndFlagsMatchTheEagerlyBuiltOnes) {
  StoreEverything();
  RecordDb db(Path("storage"));
  const std::vector<EagerRow> eager = EagerLoad(db);
  NcItemList list;
  ASSERT_TRUE(LoadRecordList(db, list, u"0123456789ABCDEF"));
  ASSERT_EQ(list.Count(), eager.size());
  ASSERT_GT(list.Count(), 310u);
  // Rows are asked for out of order and more of them than the cache holds.
  for (uint32_t pass = 0; pass < 2; ++pass) {
    for (uint32_t k = 0; k < list.Count(); ++k) {
      const uint32_t i = (k * 7919 + pass) % list.Count();
      const EagerRow& e = eager[i];
      const _NcItemData& r = list[i];
      SCOPED_TRACE(Utf8(e.key) + ": " + Utf8(e.text));
      EXPECT_TRUE(r.Key() == e.key);
      EXPECT_TRUE(r.Text() == e.text);
      EXPECT_EQ(r.selected, e.selected);
      EXPECT_EQ(r.uploaded, e.uploaded);
      RecordColumns columns;
      ASSERT_TRUE(BuildRecordColumns(e.text, e.uploaded, columns));
      const RecordColumns lazy = r.Columns();
      for (int c = 0; c < RecordColumns::kCount; ++c) {
        EXPECT_TRUE(list.Cell(i, c) == columns.cell[c]) << "listed column " << c;
        EXPECT_TRUE(lazy.cell[c] == columns.cell[c]) << "column " << c;
      }
      EXPECT_TRUE(r.Uid() == ComputeRecordHash(e.text, u"0123456789ABCDEF"));
    }
  }
}

TEST_F(RecordListTest, RowsReceivedInThisRunKeepEveryUnitAndTheirDeviceId) {
  std::vector<String> texts = TrickyTexts();
  String zero = texts[0];
  zero.Append(u'\0');
  zero.Append(u"after the zero");
  texts.push_back(zero);
  NcItemList list;
  for (size_t i = 0; i < texts.size(); ++i) {
    // The device ID changes half-way: rows built before keep the old one.
    const String id = i < texts.size() / 2 ? u"0123456789ABCDEF" : u"FEDCBA9876543210";
    ASSERT_NE(list.Append(u"k/\u00e9中", texts[i], false, false, id), nullptr);
  }
  for (uint32_t i = list.Count(); i-- > 0;) {
    const String id = i < texts.size() / 2 ? u"0123456789ABCDEF" : u"FEDCBA9876543210";
    EXPECT_TRUE(list[i].Text() == texts[i]) << i;
    EXPECT_TRUE(list[i].Key() == u"k/\u00e9中");
    EXPECT_TRUE(list[i].Uid() == ComputeRecordHash(texts[i], id)) << i;
  }
  EXPECT_EQ(list.Append(u"k", u"1+2+3", false, false, u""), nullptr) << "not a record";
}

TEST_F(RecordListTest, RemovalKeepsOrderTextsAndSerials) {
  NcItemList list;
  VariedRecords varied;
  std::vector<String> texts;
  for (int i = 0; i < 5000; ++i) {
    String key, text;
    varied.Next(key, text);
    texts.push_back(text);
    list.Append(key, text, i % 4 != 0, false, u"");
  }
  const uint64_t lastSerial = list[4999].serial;
  list.SetKey(list[8], u"renamed");
  EXPECT_EQ(list.RemoveIf([](const _NcItemData& r) { return r.selected; }), 3750u);
  ASSERT_EQ(list.Count(), 1250u);
  for (uint32_t i = 0; i < list.Count(); ++i) {
    EXPECT_TRUE(list[i].Text() == texts[i * 4]) << i;
    EXPECT_EQ(list.IndexBySerial(list[i].serial), static_cast<int>(i));
  }
  EXPECT_TRUE(list[2].Key() == u"renamed");
  EXPECT_EQ(list.IndexBySerial(lastSerial), -1) << "removed";
  EXPECT_EQ(list.FindBySerial(lastSerial), nullptr);
}

TEST_F(RecordListTest, SelectAllFromMemoryStoresWhatReadingBackWouldStore) {
  StoreEverything();
  // The same change made the old way, value by value, in a second copy
  // (values already in that state are left as they are).
  std::string expectedFolder = Path("expected");
  std::filesystem::copy(Path("storage"), expectedFolder);
  for (const bool state : {true, false}) {
    {
      RecordDb db(expectedFolder);
      db.ForEach([&](String& key, Json& doc) {
        if (IsRecordText(doc.PropertyStr(u"data", u"")) &&
            doc.PropertyBool(u"selected", false) != state) {
          doc.SetPropertyBool(u"selected", state);
          EXPECT_TRUE(db.PutJson(key, doc));
        }
        return false;
      });
    }
    {
      RecordDb db(Path("storage"));
      NcItemList list;
      ASSERT_TRUE(LoadRecordList(db, list, u""));
      ASSERT_TRUE(SetRecordsSelected(db, list, state));
    }
    std::map<std::string, std::string> got, want;
    for (auto [folder, values] : {std::pair{Path("storage"), &got}, {expectedFolder, &want}}) {
      leveldb::DB* raw = nullptr;
      ASSERT_TRUE(leveldb::DB::Open(leveldb::Options(), folder, &raw).ok());
      std::unique_ptr<leveldb::Iterator> it(raw->NewIterator(leveldb::ReadOptions()));
      for (it->SeekToFirst(); it->Valid(); it->Next()) {
        (*values)[it->key().ToString()] = it->value().ToString();
      }
      it.reset();
      delete raw;
    }
    ASSERT_EQ(got.size(), want.size());
    for (const auto& [key, value] : want) EXPECT_EQ(got[key], value) << key;
  }
}

TEST_F(RecordListTest, StillStoredIsTheSameByWalkAndByLookUp) {
  RecordDb db(Path("storage"));
  VariedRecords().Store(db, 40);
  NcItemList list;
  ASSERT_TRUE(LoadRecordList(db, list, u""));
  ASSERT_NE(list.Append(u"不在库中", TrickyTexts()[0], false, false, u""), nullptr);
  for (uint32_t i = 0; i < 40; i += 3) ASSERT_TRUE(db.Delete(list[i].Key()));
  list[1].stored = false;  // waiting to be stored
  const StoredKeys walked(db);
  const StoredKeys lookedUp(db, 1, list.Count());
  for (uint32_t i = 0; i < list.Count(); ++i) {
    const bool expected = i < 40 && i % 3 != 0 && i != 1;
    EXPECT_EQ(walked.Contains(list[i]), expected) << i;
    EXPECT_EQ(lookedUp.Contains(list[i]), expected) << i;
  }
}

TEST(StoredValueTest, TheFastReaderAgreesWithTheParserOrLeavesItToIt) {
  struct Case {
    std::string value;
    bool fast;   // read without the parser
    bool plain;  // and written back byte for byte from the list
  } cases[] = {
      {"{\"data\":\"a+b\\r\\n\\u4e2d\",\"selected\":true,\"uploaded\":false}", true, true},
      {"{\"data\":\"\\\"\\\\\\/\\b\\f\\t\",\"selected\":false,\"uploaded\":true}", true, true},
      {"{\"data\":\"x\\u4E2D\",\"selected\":true,\"uploaded\":false}", true, false},
      {"{\"data\":\"x/\",\"selected\":true,\"uploaded\":false}", true, false},
      {"{\"data\":\"x\\u00e9\",\"selected\":true,\"uploaded\":false}", true, false},
      {"{\"data\":\"x\\u0000y\",\"selected\":true,\"uploaded\":false}", false, false},
      {"{\"data\":\"x\\q\",\"selected\":true,\"uploaded\":false}", false, false},
      {"{\"data\":\"x\\u12\",\"selected\":true,\"uploaded\":false}", false, false},
      {"{\"data\":\"x\xA1\xE3\",\"selected\":true,\"uploaded\":false}", false, false},
      {"{\"data\":\"x\",\"selected\":true}", false, false},
      // The device ID a record was captured under.
      {"{\"data\":\"x\",\"selected\":true,\"uploaded\":false,\"deviceid\":\"0123456789ABCDEF\"}",
       true, true},
      {"{\"data\":\"x\",\"selected\":true,\"uploaded\":false,\"deviceid\":\"0123456789abcdef\"}",
       false, false},
      {"{\"data\":\"x\",\"selected\":true,\"uploaded\":false,\"deviceid\":\"0123\"}", false, false},
      {"{\"data\":\"x\",\"selected\":true,\"uploaded\":false} ", false, false},
      {"{\"data\":\"x", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    StoredValue value;
    ASSERT_EQ(ReadStoredValue(c.value.data(), c.value.size(), value), c.fast);
    if (!c.fast) continue;
    EXPECT_EQ(value.plain, c.plain);
    Json doc;
    const std::u16string wide = cp::GbkToUtf16(c.value);
    ASSERT_NE(doc.Parse(wide.data(), static_cast<int>(wide.size())), -1);
    EXPECT_TRUE(UnescapeText(value.text) == String(doc.PropertyStr(u"data", u"")));
    EXPECT_EQ(value.selected, doc.PropertyBool(u"selected", false));
    EXPECT_EQ(value.uploaded, doc.PropertyBool(u"uploaded", false));
    EXPECT_EQ(std::string(value.deviceId),
              String(doc.PropertyStr(u"deviceid", u"")).ToBytes(cp::kUtf8));
    std::string made;
    MakeStoredValue(value.text, value.exact, value.selected, value.uploaded, made, value.deviceId);
    EXPECT_EQ(made, doc.ToText(false).ToBytes(cp::kGbk)) << "what the writer makes";
    if (c.plain) {
      EXPECT_EQ(made, c.value);
    }
  }
}

TEST(StoredValueTest, StoredFormRoundTripsAndIsTheWritersWhereItCanBe) {
  std::vector<String> texts = TrickyTexts();
  String zero(u"a");
  zero.Append(u'\0');
  zero.Append(u"b");
  texts.push_back(zero);
  texts.push_back(String(u""));
  for (const String& text : texts) {
    SCOPED_TRACE(Utf8(text));
    std::string form;
    bool exact = false;
    EscapeText(text.Handle(), text.Length(), form, exact);
    EXPECT_TRUE(UnescapeText(form) == text);
    Json value;
    value.SetPropertyStr(u"data", text);
    value.SetPropertyBool(u"selected", true);
    value.SetPropertyBool(u"uploaded", false);
    const std::string written = value.ToText(false).ToBytes(cp::kGbk);
    std::string made;
    MakeStoredValue(form, exact, true, false, made);
    EXPECT_EQ(made, written);
    value.SetPropertyStr(u"deviceid", u"0123456789ABCDEF");
    MakeStoredValue(form, exact, true, false, made, "0123456789ABCDEF");
    EXPECT_EQ(made, value.ToText(false).ToBytes(cp::kGbk)) << "with the device ID";
    bool hasOwnUnits = false;
    for (uint32_t i = 0; i < text.Length(); ++i) {
      hasOwnUnits = hasOwnUnits || text.Element(i) == 0 ||
                    (text.Element(i) >= 0x80 && text.Element(i) <= 0x100);
    }
    EXPECT_EQ(exact, !hasOwnUnits);
    if (exact) {
      EXPECT_NE(written.find(form), std::string::npos);
    }
  }
}

}  // namespace

#include "store/record_db.h"

#include <gtest/gtest.h>
#include <leveldb/db.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "base/file_io.h"
#include "device/frame_builder.h"
#include "device/sample_record.h"
#include "store/record_store.h"
#ifndef _WIN32
#include "tests/support/as_user.h"
#endif
#include "tests/support/temp_dir.h"

namespace {

class RecordDbTest : public TempDirTest {
 protected:
  std::string Storage() const { return Path("storage"); }

  // Loads every stored record the way the main window does at start-up.
  std::vector<_NcItemData*> Load(RecordDb& db, NcItemList& records, uint32_t* visited = nullptr) {
    EXPECT_TRUE(LoadRecordList(db, records, u""));
    std::vector<_NcItemData*> loaded;
    for (uint32_t i = 0; i < records.Count(); ++i) loaded.push_back(records.Element(i));
    if (visited) *visited = db.ForEachRaw([](const char*, size_t, const char*, size_t) {});
    return loaded;
  }
};

String Sample(const char* channel = "04", const char* time = "190305151604") {
  std::string frame = SampleFrame();
  frame.replace(3, 12, time);
  frame.replace(16, 2, channel);
  return String::FromBytes(frame.substr(3), cp::kGbk);
}

TEST_F(RecordDbTest, EmptyDatabaseVisitsNothing) {
  RecordDb db(Storage());
  ASSERT_TRUE(db.IsOpen()) << db.OpenStatus().text.ToBytes(cp::kUtf8);
  NcItemList records;
  uint32_t visited = 99;
  EXPECT_TRUE(Load(db, records, &visited).empty());
  EXPECT_EQ(visited, 0u);
}

TEST_F(RecordDbTest, EqualKeysKeepEveryDistinctRecordInArrivalOrder) {
  {
    RecordDb db(Storage());
    const String key(u"190305151604");
    EXPECT_TRUE(StoreReceivedRecord(db, key, Sample("04")).key == key);
    EXPECT_TRUE(StoreReceivedRecord(db, key, Sample("04")).key == key) << "same text: same entry";
    EXPECT_TRUE(StoreReceivedRecord(db, key, Sample("05")).key == u"190305151604+05");
    EXPECT_TRUE(StoreReceivedRecord(db, key, Sample("05")).key == u"190305151604+05");
    String third = Sample("05");
    third.Append(u"x");
    EXPECT_TRUE(StoreReceivedRecord(db, key, third).key == u"190305151604+05+002");
    EXPECT_TRUE(StoreReceivedRecord(db, u"190305151605", Sample("01", "190305151605")).key ==
                u"190305151605");
    EXPECT_TRUE(StoreReceivedRecord(db, u"190305151606", Sample("01", "190305151606")).status);
  }
  RecordDb db(Storage());
  NcItemList records;
  std::vector<_NcItemData*> loaded = Load(db, records);
  ASSERT_EQ(loaded.size(), 5u);
  const char16_t* keys[] = {u"190305151604", u"190305151604+05", u"190305151604+05+002",
                            u"190305151605"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(loaded[i]->Key() == keys[i]) << i << ": " << loaded[i]->Key().ToBytes(cp::kUtf8);
  }
  EXPECT_TRUE(loaded[1]->Columns().cell[14] == u"05");
  EXPECT_TRUE(SetRecordUploaded(db, loaded[2]->Key())) << "the derived key reaches its entry";
}

TEST_F(RecordDbTest, AZeroByteFromLineNoiseNeitherCutsTheRecordNorSplitsItsKey) {
  RecordDb db(Storage());
  String text = Sample();
  text.SetLength(60);
  text.Append(u'\0');
  text.Append(Sample().Mid(61));
  EXPECT_TRUE(StoreReceivedRecord(db, u"190305151604", text).key == u"190305151604");
  EXPECT_TRUE(StoreReceivedRecord(db, u"190305151604", text).key == u"190305151604")
      << "the same frame again is the same record";
  Json doc;
  ASSERT_TRUE(db.GetJson(u"190305151604", doc));
  EXPECT_EQ(String(doc.PropertyStr(u"data", u"")).Length(), Sample().Length() - 1)
      << "only the zero byte is gone";
}

TEST_F(RecordDbTest, FlagsSurviveAReopenAndSelectAllIsOneBatch) {
  std::vector<String> keys;
  {
    RecordDb db(Storage());
    for (const char* t : {"190305151601", "190305151602", "190305151603"}) {
      keys.push_back(StoreReceivedRecord(db, String::FromBytes(t, cp::kGbk), Sample("04", t)).key);
    }
    NcItemList list;
    Load(db, list);
    EXPECT_TRUE(SetRecordsSelected(db, list, true));
    EXPECT_TRUE(SetRecordSelected(db, keys[1], false));
    EXPECT_TRUE(SetRecordUploaded(db, keys[2]));
    EXPECT_FALSE(SetRecordSelected(db, u"missing", true));
    String absent;
    const DbStatus missing = db.GetText(u"missing", absent);
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.text.ToBytes(cp::kUtf8).rfind("NotFound: ", 0), 0u);
  }
  RecordDb db(Storage());
  NcItemList records;
  std::vector<_NcItemData*> loaded = Load(db, records);
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_TRUE(loaded[0]->selected);
  EXPECT_FALSE(loaded[1]->selected);
  EXPECT_TRUE(loaded[2]->selected);
  EXPECT_TRUE(loaded[2]->uploaded);
  EXPECT_TRUE(loaded[2]->Columns().cell[0] == u"已上传");
  EXPECT_TRUE(loaded[0]->Columns().cell[0] == u"");
}

TEST_F(RecordDbTest, ValuesFromAnotherWriterLoadAndBrokenOnesAreSkippedButCounted) {
  {
    leveldb::DB* raw = nullptr;
    leveldb::Options options;
    options.create_if_missing = true;
    ASSERT_TRUE(leveldb::DB::Open(options, Storage(), &raw).ok());
    std::string text = Sample().ToBytes(cp::kGbk);
    // Another writer's value: pretty text with the record's Chinese as GBK bytes.
    std::string escaped;
    for (char c : text)
      escaped += c == '\r' ? std::string("\\r") : c == '\n' ? "\\n" : std::string(1, c);
    raw->Put({}, "190305151604",
             "{\r\n\t\"uploaded\" : true,\r\n\t\"data\" : \"" + escaped + "\"\r\n}");
    raw->Put({}, "190305151605", "{\"data\":");                              // cut short
    raw->Put({}, "190305151606", "{\"data\":\"a+b+c\",\"selected\":true}");  // not a record
    delete raw;
  }
  RecordDb db(Storage());
  NcItemList records;
  uint32_t visited = 0;
  std::vector<_NcItemData*> loaded = Load(db, records, &visited);
  EXPECT_EQ(visited, 3u);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_TRUE(loaded[0]->uploaded);
  EXPECT_TRUE(loaded[0]->Columns().cell[1] == u"毛豆");
  String stillThere;
  EXPECT_TRUE(db.GetText(u"190305151605", stillThere)) << "a broken value stays stored";
}

TEST_F(RecordDbTest, NewRecordIsStoredAsCompactGbkJson) {
  {
    RecordDb db(Storage());
    ASSERT_TRUE(StoreReceivedRecord(db, u"190305151604", Sample()).status);
  }
  leveldb::DB* raw = nullptr;
  ASSERT_TRUE(leveldb::DB::Open(leveldb::Options(), Storage(), &raw).ok());
  std::string value;
  ASSERT_TRUE(raw->Get({}, "190305151604", &value).ok());
  delete raw;
  const std::string text = SampleFrame().substr(3, 149);  // up to the sample name
  EXPECT_EQ(value, "{\"data\":\"" + text +
                       "\\u6bdb\\u8c46                +50.0\\r\\n\",\"selected\":false,"
                       "\"uploaded\":false}");
}

TEST_F(RecordDbTest, LockedDatabaseFailsWithLeveldbTextAndStatusIsPerCall) {
  RecordDb first(Storage());
  ASSERT_TRUE(first.IsOpen());
  RecordDb second(Storage());
  EXPECT_FALSE(second.IsOpen());
  const DbStatus& status = second.OpenStatus();
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.text.ToBytes(cp::kUtf8).rfind("IO error: ", 0), 0u)
      << status.text.ToBytes(cp::kUtf8);
  const DbStatus put = second.PutText(u"k", u"v");
  EXPECT_FALSE(put.ok);
  EXPECT_TRUE(put.text == status.text) << "every operation fails with the open status";
  EXPECT_EQ(second.ForEach([](String&, Json&) { return false; }), 0u);

  EXPECT_TRUE(first.PutText(u"k", u"{}"));
  String value;
  EXPECT_FALSE(first.GetText(u"absent", value));
  const DbStatus next = first.GetText(u"k", value);
  EXPECT_TRUE(next.ok) << "a failure does not stick to later calls";
  EXPECT_TRUE(next.text == u"");
}

// Every way the files get damaged is noticed (the open refuses, or the walk
// says where it stopped; never a silently shorter list), and a repair (after
// a copy is kept) brings back what the files still hold.
TEST_F(RecordDbTest, DamagedFilesAreNoticedAndRepairBringsBackTheRest) {
  namespace fs = std::filesystem;
  auto fileWith = [&](const std::string& what) {
    for (const auto& entry : fs::directory_iterator(Storage())) {
      if (entry.path().filename().string().find(what) != std::string::npos)
        return entry.path().string();
    }
    return std::string();
  };
  auto flipBytes = [](const std::string& path, size_t from, size_t count) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    for (size_t i = from; i < from + count && i < bytes.size(); ++i) bytes[i] ^= 0x5A;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  };
  struct Case {
    const char* what;
    std::function<void()> damage;
    int back;  // records a repair finds: all 250 while the tables are whole; -1: fewer
  } cases[] = {
      {"CURRENT missing", [&] { fs::remove(Storage() + "/CURRENT"); }, 250},
      {"manifest damaged", [&] { flipBytes(fileWith("MANIFEST"), 0, 32); }, 250},
      {"table truncated",
       [&] {
         const std::string table = fileWith(".ldb");
         fs::resize_file(table, fs::file_size(table) / 2);
       },
       -1},  // the table's index is at its end: leveldb cannot read the rest

      {"table corrupted",
       [&] {
         const std::string table = fileWith(".ldb");
         flipBytes(table, fs::file_size(table) / 3, 64);
       },
       -1},
  };
  for (const Case& c : cases) {
    fs::remove_all(Storage());
    {
      RecordDb db(Storage());
      for (int i = 0; i < 250; ++i) {
        char t[16];
        std::snprintf(t, sizeof t, "2612061%05d", i);
        ASSERT_TRUE(
            StoreReceivedRecord(db, String::FromBytes(t, cp::kGbk), Sample("04", t)).status);
      }
    }
    { RecordDb reopened(Storage()); }  // the log becomes a table file
    c.damage();
    {
      RecordDb db(Storage());
      DbStatus walk;
      uint32_t visited = 0;
      if (db.IsOpen()) visited = db.ForEach([](String&, Json&) { return false; }, &walk);
      EXPECT_TRUE(!db.IsOpen() ? db.Damaged() : !walk.ok)
          << c.what << ": nobody noticed, " << visited << " visited";
      EXPECT_FALSE(fs::exists(Storage() + "/CURRENT") && db.IsOpen() && visited == 250) << c.what;
    }
    std::string backup;
    ASSERT_TRUE(RecordDb::Repair(Storage(), backup)) << c.what;
    EXPECT_TRUE(fs::is_directory(backup)) << c.what << ": the copy is kept first";
    fs::remove_all(backup);
    RecordDb repaired(Storage());
    ASSERT_TRUE(repaired.IsOpen()) << c.what;
    DbStatus walk;
    const uint32_t found = repaired.ForEach([](String&, Json&) { return false; }, &walk);
    EXPECT_TRUE(walk.ok) << c.what;
    if (c.back > 0) {
      EXPECT_EQ(found, static_cast<uint32_t>(c.back)) << c.what;
    } else {
      EXPECT_LT(found, 250u) << c.what
                             << ": what leveldb can read is back, the rest is in the copy";
    }
  }
}

// Files of records without CURRENT are never written over; what a crash
// leaves while a new database is being made (no records yet) is made anew.
TEST_F(RecordDbTest, AFolderWithFilesButNoDatabaseIsNeverWrittenOver) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, const char*>> files;
    bool opens;
  } cases[] = {
      {"a table file", {{"000005.ldb", "records of an earlier database"}}, false},
      {"an old table file", {{"000005.sst", "records"}}, false},
      {"a log with writes", {{"000003.log", "a write"}, {"MANIFEST-000002", "m"}}, false},
      {"a creation cut short",
       {{"LOCK", ""}, {"LOG", "started"}, {"MANIFEST-000001", "half"}, {"000001.dbtmp", "1"}},
       true},
      {"an empty log", {{"LOCK", ""}, {"000003.log", ""}}, true},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(Storage());
    std::filesystem::create_directories(Storage());
    for (const auto& [name, content] : c.files) std::ofstream(Storage() + "/" + name) << content;
    RecordDb db(Storage());
    EXPECT_EQ(db.IsOpen(), c.opens) << c.what;
    EXPECT_EQ(db.Damaged(), !c.opens) << c.what;
    EXPECT_FALSE(db.LockedElsewhere()) << c.what;
    if (c.opens) {
      EXPECT_TRUE(StoreReceivedRecord(db, u"190305151604",
                                      String::FromBytes(SampleFrame().substr(3), cp::kGbk))
                      .status)
          << c.what;
    } else {
      EXPECT_FALSE(std::filesystem::exists(Storage() + "/CURRENT")) << c.what;
    }
  }
}

#ifndef _WIN32
// Permission and read-only causes are made with POSIX file modes.
TEST_F(RecordDbTest, AFailedOpenNamesItsRealCause) {
  using Problem = RecordDb::OpenProblem;
  // Made while this user may: a database, then taken away from ordinary users.
  auto makeDatabase = [](const std::string& folder) {
    RecordDb db(folder);
    ASSERT_TRUE(StoreReceivedRecord(db, u"190305151604",
                                    String::FromBytes(SampleFrame().substr(3), cp::kGbk))
                    .status);
  };
  struct Case {
    const char* what;
    std::function<void(const std::string& folder)> prepare;
    bool ordinaryUser;
    Problem expected;
  } cases[] = {
      {"a plain file", [](const std::string& f) { std::ofstream(f) << "x"; }, false,
       Problem::kNotAFolder},
      {"a folder nobody else may enter",
       [&](const std::string& f) {
         makeDatabase(f);
         ::chmod(f.c_str(), 0700);
       },
       true, Problem::kNoPermission},
      {"a folder nobody else may write",
       [&](const std::string& f) {
         makeDatabase(f);
         ::chmod(f.c_str(), 0755);
         for (const auto& e : std::filesystem::directory_iterator(f))
           ::chmod(e.path().c_str(), 0644);
       },
       true, Problem::kNoPermission},
      {"files without a database",
       [](const std::string& f) {
         std::filesystem::create_directories(f);
         std::ofstream(f + "/000005.ldb") << "x";
       },
       false, Problem::kDamaged},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string folder = Path("case" + std::to_string(n++));
    // The ordinary user must reach the temporary folder itself.
    ::chmod(Path("").c_str(), 0755);
    c.prepare(folder);
    if (c.ordinaryUser) {
      const Problem expected = c.expected;
      EXPECT_TRUE(AsOrdinaryUser([&folder, expected] {
        RecordDb db(folder);
        return !db.IsOpen() && db.Problem() == expected && !db.Damaged();
      })) << c.what;
    } else {
      RecordDb db(folder);
      EXPECT_FALSE(db.IsOpen()) << c.what;
      EXPECT_EQ(db.Problem(), c.expected)
          << c.what << ": " << db.OpenStatus().text.ToBytes(cp::kUtf8);
    }
  }
  // The control: the same user opens a folder that is open to everyone.
  const std::string open = Path("open");
  makeDatabase(open);
  ::chmod(open.c_str(), 0777);
  for (const auto& e : std::filesystem::directory_iterator(open)) ::chmod(e.path().c_str(), 0666);
  EXPECT_TRUE(AsOrdinaryUser([&open] { return RecordDb(open).IsOpen(); }));
  // Held by another program (here another handle): only that is "locked".
  RecordDb first(Storage());
  RecordDb second(Storage());
  EXPECT_EQ(second.Problem(), Problem::kLocked);
  EXPECT_EQ(first.Problem(), Problem::kNone);
}
#endif  // _WIN32

// A stopped detector clock: every record has the same test time. They keep
// their arrival order past the thousandth, and each store costs the same few
// lookups however many came before.
TEST_F(RecordDbTest, SameTimeRecordsKeepArrivalOrderAtAConstantCost) {
  RecordDb db(Storage());
  constexpr int kCount = 1200;
  std::vector<std::string> stored;
  uint64_t mostLookups = 0;
  for (int i = 0; i < kCount; ++i) {
    FrameFields f;
    f.time = u"190305151604";
    f.channel = u"05";
    String rate;
    rate.Format(u"%04d", i);
    f.rate = rate;
    const String text = String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
    const uint64_t before = db.LookupCount();
    const StoredRecord r = StoreReceivedRecord(db, u"190305151604", text);
    ASSERT_TRUE(r.status);
    mostLookups = std::max(mostLookups, db.LookupCount() - before);
    stored.push_back(r.key.ToBytes(cp::kUtf8));
  }
  EXPECT_LE(mostLookups, 4u) << "one seek, not a scan";
  EXPECT_EQ(stored[0], "190305151604");
  EXPECT_EQ(stored[1], "190305151604+05");
  EXPECT_EQ(stored[2], "190305151604+05+002");
  EXPECT_EQ(stored[999], "190305151604+05+999");
  EXPECT_EQ(stored[1000], "190305151604+05+999000001000");
  std::vector<std::string> order;
  ASSERT_EQ(db.ForEach([&](String& key, Json&) {
    order.push_back(key.ToBytes(cp::kUtf8));
    return false;
  }),
            static_cast<uint32_t>(kCount));
  EXPECT_EQ(order, stored) << "key order is arrival order";
}

}  // namespace

// The record book's rules without a window: after every kind of change, under
// every kind of view, the rows shown and the counts are what a view built
// afresh over the same records gives, and what is stored agrees.
#include "store/record_book.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "device/frame_builder.h"
#include "store/record_sort.h"
#include "store/record_store.h"
#include "tests/support/temp_dir.h"

namespace {

String Text(const char16_t* time, const char16_t* sample, const char16_t* rate, bool failed) {
  FrameFields f;
  f.time = time;
  f.sample = sample;
  f.rate = rate;
  f.result = failed ? u"0" : u"1";
  return String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
}

class RecordBookTest : public TempDirTest {
 protected:
  // Rows and counts as a fresh view over the book's records gives them.
  void ExpectConsistent(const RecordBook& book, const std::string& what) {
    const NcItemList& records = book.Records();
    RecordView fresh;
    fresh.SetFilter(records, book.View().Filter());
    fresh.SetSort(records, book.View().SortColumn(), book.View().SortDescending());
    std::vector<uint32_t> rows(fresh.RowCount(records));
    for (uint32_t r = 0; r < rows.size(); ++r) rows[r] = fresh.RecordAt(r);
    EXPECT_EQ(book.ShownRecords(), rows) << what;
    RecordBook::Counts expected;
    expected.total = records.Count();
    for (uint32_t i = 0; i < records.Count(); ++i) expected.ticked += records[i].selected ? 1 : 0;
    expected.shown = static_cast<uint32_t>(rows.size());
    for (const uint32_t i : rows) {
      expected.shownTicked += records[i].selected ? 1 : 0;
      expected.shownFailed += records[i].Failed() ? 1 : 0;
    }
    const RecordBook::Counts& c = book.GetCounts();
    EXPECT_EQ(c.total, expected.total) << what;
    EXPECT_EQ(c.shown, expected.shown) << what;
    EXPECT_EQ(c.ticked, expected.ticked) << what;
    EXPECT_EQ(c.shownTicked, expected.shownTicked) << what;
    EXPECT_EQ(c.shownFailed, expected.shownFailed) << what;
  }
};

TEST_F(RecordBookTest, EveryChangeKeepsTheRowsAndCountsOfAFreshView) {
  struct View {
    const char* what;
    std::function<void(RecordBook&)> set;
  } views[] = {
      {"whole list", [](RecordBook&) {}},
      {"search text",
       [](RecordBook& b) {
         RecordFilter f;
         f.text = u"毛豆";
         b.SetFilter(f);
       }},
      {"uploaded only",
       [](RecordBook& b) {
         RecordFilter f;
         f.upload = RecordFilter::Upload::kUploaded;
         b.SetFilter(f);
       }},
      {"not uploaded, by rate",
       [](RecordBook& b) {
         RecordFilter f;
         f.upload = RecordFilter::Upload::kNotUploaded;
         b.SetFilter(f);
         b.SetSort(3, false);
       }},
      {"failed, by rate descending",
       [](RecordBook& b) {
         RecordFilter f;
         f.result = RecordFilter::Result::kFailed;
         b.SetFilter(f);
         b.SetSort(3, true);
       }},
  };
  struct Step {
    const char* what;
    std::function<void(RecordBook&)> change;
  };
  RecordDb* db = nullptr;  // the case's database
  // A record from the detector: stored, then listed.
  auto arrive = [&db](RecordBook& b, const char16_t* time, const char16_t* sample,
                      const char16_t* rate, bool failed) {
    const String text = Text(time, sample, rate, failed);
    ASSERT_TRUE(StoreReceivedRecord(*db, time, text).status);
    b.Add(time, text, false, false, u"", false);
  };
  const Step steps[] = {
      {"a matching record arrives",
       [&](RecordBook& b) { arrive(b, u"261206090000", u"毛豆", u"15.0", true); }},
      {"another record arrives",
       [&](RecordBook& b) { arrive(b, u"261206090001", u"白菜", u"45.0", false); }},
      {"a shown row is ticked",
       [](RecordBook& b) {
         ASSERT_GT(b.RowCount(), 0u);
         EXPECT_TRUE(b.SetTicked(b.Records()[b.RecordAt(0)].serial, true));
       }},
      {"a hidden record is ticked",
       [](RecordBook& b) { EXPECT_TRUE(b.SetTicked(b.Records()[1].serial, true)); }},
      {"select all", [](RecordBook& b) { EXPECT_TRUE(b.TickShown(true)); }},
      {"a box is cleared",
       [](RecordBook& b) { EXPECT_TRUE(b.SetTicked(b.Records()[0].serial, false)); }},
      {"upload replies",
       [](RecordBook& b) {
         EXPECT_TRUE(b.MarkUploaded({{b.Records()[2].serial, b.Records()[2].Key()},
                                     {b.Records()[3].serial, b.Records()[3].Key()}}));
       }},
      {"the ticked records are deleted",
       [](RecordBook& b) {
         uint32_t removed = 0;
         EXPECT_TRUE(b.DeleteTicked(removed));
         EXPECT_GT(removed, 0u);
       }},
      {"back to the whole list", [](RecordBook& b) { b.ResetView(); }},
  };
  int n = 0;
  for (const View& view : views) {
    RecordDb caseDb(Path("storage" + std::to_string(n++)));
    db = &caseDb;
    const char16_t* samples[] = {u"毛豆", u"黄瓜", u"毛豆", u"白菜", u"毛豆", u"黄瓜"};
    const char16_t* rates[] = {u"30.0", u"9.5", u"12.0", u"55.0", u"70.0", u"20.0"};
    for (int i = 0; i < 6; ++i) {
      String time;
      time.Format(u"2612060800%02d", i);
      ASSERT_TRUE(
          StoreReceivedRecord(caseDb, time, Text(time.Handle(), samples[i], rates[i], i % 2))
              .status);
    }
    ASSERT_TRUE(SetRecordUploaded(caseDb, u"261206080004"));
    RecordBook book(caseDb);
    int resets = 0;
    book.SetListener([&](const RecordBook::Change& c) {
      resets += c.kind == RecordBook::Change::Kind::kReset ? 1 : 0;
    });
    ASSERT_TRUE(book.Load(u"0123456789ABCDEF"));
    view.set(book);
    ExpectConsistent(book, std::string(view.what) + ": loaded");
    for (const Step& step : steps) {
      step.change(book);
      ExpectConsistent(book, std::string(view.what) + ": " + step.what);
    }
    EXPECT_GT(resets, 0) << view.what;
    // What is stored agrees with the book.
    NcItemList stored;
    ASSERT_TRUE(LoadRecordList(caseDb, stored, u"0123456789ABCDEF"));
    ASSERT_EQ(stored.Count(), book.Records().Count()) << view.what;
    for (uint32_t i = 0; i < stored.Count(); ++i) {
      EXPECT_EQ(stored[i].selected, book.Records()[i].selected) << view.what << " " << i;
      EXPECT_EQ(stored[i].uploaded, book.Records()[i].uploaded) << view.what << " " << i;
    }
  }
}

// Records the disk refused wait in arrival order; once stored, each row is
// one stored record, a resent one leaves no second row, and what still waits
// at close is stored at the next start.
TEST_F(RecordBookTest, WaitingRecordsAreStoredInOrderAndAResentOneLeavesNoSecondRow) {
  RecordDb db(Path("storage"));
  RecordBook book(db);
  ASSERT_TRUE(book.Load(u""));
  const String a = Text(u"261206080000", u"毛豆", u"30.0", false);
  const String b = Text(u"261206080001", u"黄瓜", u"9.5", true);
  book.AddWaiting(u"261206080000", a, u"0123456789ABCDEF", u"", u"未保存");
  book.AddWaiting(u"261206080001", b, u"", u"FEDCBA9876543210", u"未保存");
  book.AddWaiting(u"261206080000", a, u"0123456789ABCDEF", u"", u"未保存");  // sent again
  EXPECT_EQ(book.WaitingCount(), 3u);
  EXPECT_EQ(book.GetCounts().total, 3u);
  EXPECT_TRUE(book.Records()[0].Status() == u"未保存");
  EXPECT_FALSE(book.SetTicked(book.Records()[0].serial, true)) << "not stored yet";
  EXPECT_EQ(book.GetCounts().ticked, 0u);
  EXPECT_TRUE(book.Records()[1].DeviceId() == u"FEDCBA9876543210") << "the station's ID";

  const DbStatus stored = book.StoreWaiting();
  ASSERT_TRUE(stored) << stored.text.ToBytes(cp::kUtf8);
  EXPECT_EQ(book.WaitingCount(), 0u);
  ASSERT_EQ(book.GetCounts().total, 2u);
  EXPECT_TRUE(book.Records()[0].Status().IsEmpty());
  EXPECT_TRUE(book.SetTicked(book.Records()[0].serial, true));
  EXPECT_EQ(db.ForEach([](String&, Json&) { return false; }), 2u);

  const String c = Text(u"261206080002", u"白菜", u"55.0", false);
  book.AddWaiting(u"261206080002", c, u"", u"", u"未保存");
  ASSERT_TRUE(book.SaveWaiting(Path("left.txt")));
  EXPECT_EQ(book.WaitingCount(), 0u);
  RecordBook next(db);
  ASSERT_TRUE(next.Load(u""));
  next.StoreLeftOver(Path("left.txt"), u"0123456789ABCDEF");
  EXPECT_EQ(next.GetCounts().total, 3u);
  EXPECT_TRUE(next.Records()[2].DeviceId() == u"0123456789ABCDEF");
  EXPECT_FALSE(std::filesystem::exists(Path("left.txt")));
}

}  // namespace

// Long work runs on a worker over the frozen book: while it runs, nothing the
// window may ask for changes the rows or the counts (a new record, an upload
// reply, a new filter wait; a tick is refused); at the thaw the prepared
// change is made first and the waiting ones follow in order.
TEST_F(RecordBookTest, WorkOverTheFrozenBookLetsChangesWaitAndMakesThemInOrder) {
  struct Work {
    const char* what;
    std::function<RecordBook::Prepared(RecordBook&)> prepare;
    std::function<void(const RecordBook&)> check;  // after the thaw
  } works[] = {
      {"sort by rate", [](RecordBook& b) { return b.PrepareSort(3, false); },
       [](const RecordBook& b) { EXPECT_EQ(b.View().SortColumn(), 3); }},
      {"filter",
       [](RecordBook& b) {
         RecordFilter f;
         f.text = u"毛豆";
         return b.PrepareFilter(f);
       },
       [](const RecordBook& b) { EXPECT_TRUE(b.View().Filter().text == u"毛豆"); }},
      {"tick all", [](RecordBook& b) { return b.PrepareTickShown(true); },
       [](const RecordBook& b) {
         EXPECT_EQ(b.GetCounts().ticked, 3u) << "all but the new record";
       }},
      {"delete ticked", [](RecordBook& b) { return b.PrepareDeleteTicked(); },
       [](const RecordBook& b) { EXPECT_EQ(b.GetCounts().total, 3u); }},
      {"keep device IDs", [](RecordBook& b) { return b.PrepareKeepDeviceIds(); },
       [](const RecordBook& b) {
         for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(b.Records()[i].deviceIdStored) << i;
       }},
  };
  int n = 0;
  for (const Work& work : works) {
    RecordDb db(Path("frozen" + std::to_string(n++)));
    const char16_t* samples[] = {u"毛豆", u"黄瓜", u"毛豆"};
    for (int i = 0; i < 3; ++i) {
      String time;
      time.Format(u"2612060800%02d", i);
      ASSERT_TRUE(StoreReceivedRecord(db, time, Text(time.Handle(), samples[i], u"30.0", i == 1),
                                      true, i ? u"" : u"0123456789ABCDEF")
                      .status);
    }
    ASSERT_TRUE(SetRecordSelected(db, u"261206080001", true));
    RecordBook book(db);
    ASSERT_TRUE(book.Load(u"FEDCBA9876543210"));
    const std::vector<uint32_t> before = book.ShownRecords();
    const uint64_t first = book.Records()[0].serial;

    book.Freeze();
    RecordBook::Prepared prepared;
    std::thread worker([&] { prepared = work.prepare(book); });
    const String text = Text(u"261206090000", u"毛豆", u"12.0", false);
    ASSERT_TRUE(StoreReceivedRecord(db, u"261206090000", text).status);
    EXPECT_EQ(book.Add(u"261206090000", text, false, false, u"", false), nullptr) << work.what;
    book.SetStatus(first, u"已上传");
    EXPECT_TRUE(book.MarkUploaded({{first, u"261206080000"}}));
    EXPECT_FALSE(book.SetTicked(first, true)) << work.what << ": refused while frozen";
    book.WhenThawed([&] { EXPECT_FALSE(book.IsFrozen()); });
    worker.join();
    EXPECT_EQ(book.ShownRecords(), before) << work.what << ": nothing moved while frozen";
    EXPECT_EQ(book.GetCounts().total, 3u) << work.what;
    EXPECT_FALSE(book.Records()[0].uploaded) << work.what;

    ASSERT_TRUE(prepared.status) << work.what;
    RecordBook::Finish(prepared);
    book.Thaw();
    EXPECT_FALSE(book.IsFrozen());
    work.check(book);
    ExpectConsistent(book, work.what);
    EXPECT_TRUE(book.Records()[book.Records().Count() - 1].Key() == u"261206090000")
        << work.what << ": the new record joined at the end";
    const int index = book.Records().IndexBySerial(first);
    ASSERT_GE(index, 0) << work.what;
    EXPECT_TRUE(book.Records()[static_cast<uint32_t>(index)].uploaded) << work.what;
    NcItemList stored;
    ASSERT_TRUE(LoadRecordList(db, stored, u""));
    ASSERT_EQ(stored.Count(), book.Records().Count()) << work.what;
    for (uint32_t i = 0; i < stored.Count(); ++i) {
      EXPECT_EQ(stored[i].selected, book.Records()[i].selected) << work.what << " " << i;
      EXPECT_EQ(stored[i].uploaded, book.Records()[i].uploaded) << work.what << " " << i;
    }
  }
}

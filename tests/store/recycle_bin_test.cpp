// The recycle bin: what is deleted comes back byte for byte, and a crash in
// the middle of a move leaves every record in exactly one of the two places.
#include "store/recycle_bin.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <thread>

#include "device/frame_builder.h"
#include "store/record_book.h"
#include "store/record_store.h"
#include "tests/support/temp_dir.h"

namespace {

class RecycleBinTest : public TempDirTest {
 protected:
  // Stores `count` records with varied flags and forms: every third ticked,
  // every fourth uploaded, every fifth with a device ID, every seventh in a
  // hand-made form with a key of its own that the program keeps as it is.
  std::map<std::string, std::string> StoreVaried(RecordDb& db, int count) {
    std::map<std::string, std::string> stored;
    RecordDb::Batch batch;
    for (int i = 0; i < count; ++i) {
      FrameFields f;
      char time[32];
      std::snprintf(time, sizeof time, "26120809%04d", i);
      f.time = String::FromBytes(time, cp::kUtf8);
      f.sample = i % 2 ? u"菠菜" : u"黄瓜";
      const std::string text = BuildFrame(f).substr(3);
      std::string value = "{\"data\":\"" + text +
                          "\",\"selected\":" + (i % 3 == 0 ? "true" : "false") +
                          ",\"uploaded\":" + (i % 4 == 0 ? "true" : "false") +
                          (i % 5 == 0 ? ",\"deviceid\":\"A0005\"" : "") +
                          (i % 7 == 0 ? ",\"note\":\"手工\"" : "") + "}";
      value = String::FromBytes(value, cp::kUtf8).ToBytes(cp::kGbk);
      batch.PutBytes(time, value);
      stored[time] = value;
    }
    EXPECT_TRUE(db.Write(batch, true));
    return stored;
  }

  static std::map<std::string, std::string> Contents(RecordDb& db) {
    std::map<std::string, std::string> all;
    db.ForEachRaw([&](const char* k, size_t kl, const char* v, size_t vl) {
      all.emplace(std::string(k, kl), std::string(v, vl));
    });
    return all;
  }

  // Every record of `original` is in exactly one of the two places, with
  // its bytes as they were.
  static void ExpectEachOnceAsStored(RecordDb& db, RecycleBin& bin,
                                     std::map<std::string, std::string>& original,
                                     const std::string& what) {
    std::map<std::string, int> places;
    for (const auto& [key, value] : Contents(db)) {
      EXPECT_EQ(value, original[key]) << what << " " << key;
      ++places[key];
    }
    for (const RecycleBin::Entry& entry : bin.Entries()) {
      EXPECT_EQ(entry.value, original[entry.key]) << what << " " << entry.key;
      ++places[entry.key];
    }
    for (const auto& [key, value] : original) EXPECT_EQ(places[key], 1) << what << " " << key;
  }

  static std::vector<std::string> Ids(RecycleBin& bin) {
    std::vector<std::string> ids;
    for (const RecycleBin::Entry& entry : bin.Entries()) ids.push_back(entry.id);
    return ids;
  }
};

TEST_F(RecycleBinTest, DeleteRestoreAndPurgeKeepEveryByte) {
  RecordDb db(Path("storage"));
  RecycleBin bin(db, RecycleBin::FolderFor(Path("storage")));
  ASSERT_TRUE(bin.OpenStatus());
  const std::map<std::string, std::string> original = StoreVaried(db, 30);
  std::vector<std::string> keys;
  for (const auto& [key, value] : original) keys.push_back(key);
  keys.push_back("261208099999");  // not stored: passed over

  uint32_t moved = 0;
  ASSERT_TRUE(bin.MoveIn(keys, u"2026-12-08 09:30:00", moved));
  EXPECT_EQ(moved, 30u);
  EXPECT_TRUE(Contents(db).empty());
  std::vector<RecycleBin::Entry> entries = bin.Entries();
  ASSERT_EQ(entries.size(), 30u);
  for (const RecycleBin::Entry& entry : entries) {
    EXPECT_EQ(entry.value, original.at(entry.key)) << entry.key;
    EXPECT_EQ(entry.deleted, String(u"2026-12-08 09:30:00"));
  }

  // Half come back exactly as they were; one of them clashes with a record
  // stored under its key since, and stays in the bin.
  ASSERT_TRUE(db.PutText(String::FromBytes(entries[0].key, cp::kUtf8), u"{\"data\":\"new\"}"));
  std::vector<std::string> back;
  for (size_t i = 0; i < entries.size(); i += 2) back.push_back(entries[i].id);
  std::vector<RecycleBin::Entry> restored;
  std::vector<std::string> clashes;
  ASSERT_TRUE(bin.MoveOut(back, restored, &clashes));
  EXPECT_EQ(restored.size(), 14u);
  EXPECT_EQ(clashes, std::vector<std::string>{entries[0].id});
  std::map<std::string, std::string> now = Contents(db);
  EXPECT_EQ(now.size(), 15u);
  for (size_t i = 2; i < entries.size(); i += 2) EXPECT_EQ(now[entries[i].key], entries[i].value);
  EXPECT_EQ(bin.Count(), 16u);

  // The same key deleted again keeps both bin entries.
  ASSERT_TRUE(bin.MoveIn({entries[0].key}, u"2026-12-08 10:00:00", moved));
  EXPECT_EQ(bin.Count(), 17u);

  // Purged by age: only those deleted before the time.
  const std::vector<std::string> old = bin.DeletedBefore(u"2026-12-08 09:45:00");
  EXPECT_EQ(old.size(), 16u);
  ASSERT_TRUE(bin.Purge(old));
  entries = bin.Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].value, "{\"data\":\"new\"}");
}

TEST_F(RecycleBinTest, TheBookDeletesIntoTheBinAndRestoresRowsAsTheyWere) {
  RecordDb db(Path("storage"));
  RecycleBin bin(db, RecycleBin::FolderFor(Path("storage")));
  StoreVaried(db, 12);
  RecordBook book(db);
  book.SetRecycleBin(&bin);
  ASSERT_TRUE(book.Load(u"B0001"));
  ASSERT_EQ(book.Records().Count(), 12u);
  auto describe = [](const _NcItemData& r) {
    return r.Key().ToBytes(cp::kUtf8) + (r.selected ? " ticked" : "") +
           (r.uploaded ? " uploaded" : "") + " " + r.DeviceId().ToBytes(cp::kUtf8) + " " +
           std::string(r.TextForm());
  };
  std::map<std::string, std::string> before;
  for (uint32_t i = 0; i < book.Records().Count(); ++i)
    before[book.Records()[i].Key().ToBytes(cp::kUtf8)] = describe(book.Records()[i]);

  uint32_t removed = 0;
  ASSERT_TRUE(book.DeleteTicked(removed));
  EXPECT_EQ(removed, 4u);  // every third of twelve
  EXPECT_EQ(book.Records().Count(), 8u);
  EXPECT_EQ(bin.Count(), 4u);

  const RecordBook::Prepared restored = RecordBook::Finish(book.PrepareRestore(Ids(bin), u"B0001"));
  ASSERT_TRUE(restored.status);
  EXPECT_EQ(restored.count, 4u);
  EXPECT_EQ(bin.Count(), 0u);
  ASSERT_EQ(book.Records().Count(), 12u);
  EXPECT_EQ(book.GetCounts().ticked, 4u);
  for (uint32_t i = 0; i < book.Records().Count(); ++i) {
    const _NcItemData& r = book.Records()[i];
    EXPECT_EQ(describe(r), before[r.Key().ToBytes(cp::kUtf8)]);
  }
}

// A process ended right after each write of a move, either way: the next
// start finishes the move, every record is in exactly one place, byte for
// byte, and only a move stopped before the record database changed counts
// as finished there.
TEST_F(RecycleBinTest, EndedAfterAnyWriteTheMoveIsFinishedAtTheNextStart) {
  for (const bool in : {true, false}) {
    for (int step = 1; step <= 3; ++step) {
      const std::string folder = Path((in ? "in" : "out") + std::to_string(step));
      std::map<std::string, std::string> original;
      std::vector<std::string> some;
      {
        RecordDb db(folder);
        original = StoreVaried(db, 60);
        for (const auto& [key, value] : original) {
          if (some.size() < 25) some.push_back(key);
        }
        if (!in) {
          RecycleBin bin(db, RecycleBin::FolderFor(folder));
          uint32_t moved = 0;
          ASSERT_TRUE(bin.MoveIn(some, u"2026-12-08 09:00:00", moved));
          ASSERT_EQ(moved, 25u);
        }
      }
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        RecordDb db(folder);
        RecycleBin bin(db, RecycleBin::FolderFor(folder));
        bin.SetStepHook([step](int at) {
          if (at == step) ::_exit(9);
        });
        uint32_t moved = 0;
        std::vector<RecycleBin::Entry> restored;
        (void)(in ? bin.MoveIn(some, u"2026-12-08 10:00:00", moved)
                  : bin.MoveOut(Ids(bin), restored));
        ::_exit(0);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      const std::string what = std::string(in ? "in" : "out") + ", step " + std::to_string(step);
      ASSERT_EQ(WEXITSTATUS(status), 9) << what;

      RecordDb db(folder);
      RecycleBin bin(db, RecycleBin::FolderFor(folder));
      uint32_t finished = 99;
      ASSERT_TRUE(bin.FinishInterrupted(&finished)) << what;
      EXPECT_EQ(finished, step == 1 ? 25u : 0u) << what;
      const std::map<std::string, std::string> stored = Contents(db);
      EXPECT_EQ(stored.size(), in ? 35u : 60u) << what;
      EXPECT_EQ(bin.Count(), in ? 25u : 0u) << what;
      ExpectEachOnceAsStored(db, bin, original, what);
      ASSERT_TRUE(bin.FinishInterrupted(&finished));
      EXPECT_EQ(finished, 0u) << what << ": finishing twice changes nothing";
    }
  }
}

// A process deleting into the bin and restoring from it, over and over,
// killed at random moments: after the next start's FinishInterrupted every
// record is in exactly one place, byte for byte.
//
// Only a kill between a move's note and its write to the record database
// leaves a move to finish, and how often a random kill lands there depends on
// the disk (a third of the runs here, fewer on a fast-syncing one). So the
// runs go on, up to a bound, until a few of them have landed there.
TEST_F(RecycleBinTest, KilledWhileMovingLosesAndDoublesNothing) {
  std::mt19937 random(20261208);
  constexpr int kLeastRuns = 10;
  constexpr int kMostRuns = 150;
  constexpr int kInterruptedWanted = 3;
  int interrupted = 0;  // runs that left a move to finish
  int run = 0;
  for (; run < kMostRuns && (run < kLeastRuns || interrupted < kInterruptedWanted); ++run) {
    const std::string folder = Path("kill" + std::to_string(run));
    std::map<std::string, std::string> original;
    {
      RecordDb db(folder);
      original = StoreVaried(db, 60);
    }
    // Even runs are killed while the child moves records (it says when it
    // has started); odd ones at any moment, its first making of the bin too.
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      RecordDb db(folder);
      RecycleBin bin(db, RecycleBin::FolderFor(folder));
      (void)!::write(started[1], "s", 1);
      std::vector<std::string> keys;
      for (const auto& [key, value] : original) keys.push_back(key);
      for (int round = 0;; ++round) {
        uint32_t moved = 0;
        const size_t first = static_cast<size_t>(round * 7) % keys.size();
        std::vector<std::string> some(keys.begin() + first,
                                      keys.begin() + std::min(keys.size(), first + 25));
        (void)bin.MoveIn(some, u"2026-12-08 09:00:00", moved);
        std::vector<RecycleBin::Entry> restored;
        (void)bin.MoveOut(Ids(bin), restored);
      }
    }
    ::close(started[1]);
    if (run % 2 == 0) {
      pollfd ready{started[0], POLLIN, 0};
      ASSERT_EQ(::poll(&ready, 1, 30000), 1) << "the child never started moving";
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 100));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 200));
    }
    ::close(started[0]);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    RecordDb db(folder);
    RecycleBin bin(db, RecycleBin::FolderFor(folder));
    uint32_t finished = 0;
    ASSERT_TRUE(bin.FinishInterrupted(&finished));
    interrupted += finished > 0 ? 1 : 0;
    ExpectEachOnceAsStored(db, bin, original, "run " + std::to_string(run));
    // Finishing twice changes nothing.
    ASSERT_TRUE(bin.FinishInterrupted(&finished));
    EXPECT_EQ(finished, 0u);
  }
  RecordProperty("runs", run);
  RecordProperty("interrupted_runs", interrupted);
  EXPECT_GT(interrupted, 0) << "in " << run
                            << " runs no kill came between the two databases' writes";
}

}  // namespace

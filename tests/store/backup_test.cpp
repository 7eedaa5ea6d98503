// Backups: a copy from one moment that matches its manifest, refused when
// damaged, removed when it cannot finish; a restore that a crash at any
// moment leaves wholly old or wholly new.
#include "store/backup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "base/file_io.h"
#include "store/recycle_bin.h"
#include "tests/support/as_user.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using Contents = std::map<std::string, std::string>;

class BackupTest : public TempDirTest {
 protected:
  // `count` records whose values say which set they belong to.
  static void StoreSet(RecordDb& db, int from, int count, const std::string& tag) {
    RecordDb::Batch batch;
    for (int i = from; i < from + count; ++i) {
      char key[32];
      std::snprintf(key, sizeof key, "2612%08d", i);
      batch.PutBytes(key, "{\"data\":\"" + tag + std::string(200, 'x') + "\"}");
    }
    ASSERT_TRUE(db.Write(batch, true));
  }
  static Contents Read(const std::string& folder) {
    Contents all;
    RecordDb db(folder, false);
    EXPECT_TRUE(db.IsOpen()) << folder;
    db.ForEachRaw([&](const char* k, size_t kl, const char* v, size_t vl) {
      all.emplace(std::string(k, kl), std::string(v, vl));
    });
    return all;
  }
  // A backup's records, read from a copy (opening a folder writes into it).
  Contents ReadBackup(const std::string& backup, const char* part = "records") {
    const std::string copy = Path(std::string("read-") + part + std::to_string(reads_++));
    fs::copy(fs::path(backup) / part, copy, fs::copy_options::recursive);
    return Read(copy);
  }
  BackupOutcome Backup(RecordDb& db, RecordDb* bin, const std::string& stamp,
                       const std::string& target = "") {
    const std::string parent = target.empty() ? Path("backups") : target;
    fs::create_directories(parent);
    return MakeBackup(db, bin, Path("storage"), parent, stamp, "2026-12-08 10:00:00");
  }
  int reads_ = 0;
};

TEST_F(BackupTest, ABackupMatchesItsManifestAndRestoresWhatWasThere) {
  std::string folder;
  {
    RecordDb db(Path("storage"));
    RecycleBin bin(db, RecycleBin::FolderFor(Path("storage")));
    StoreSet(db, 1, 3000, "old");
    uint32_t moved = 0;
    ASSERT_TRUE(bin.MoveIn({"261200000002", "261200000003"}, u"2026-12-08 09:00:00", moved));
    const BackupOutcome made = Backup(db, &bin.Database(), "20261208-100000");
    ASSERT_TRUE(made.status) << made.status.text.ToBytes(cp::kUtf8);
    folder = made.folder;
    EXPECT_EQ(fs::path(folder).filename(), "records-backup-20261208-100000");
    EXPECT_EQ(made.manifest.records, 2998u);
    EXPECT_EQ(made.manifest.recycled, 2u);
    EXPECT_EQ(made.manifest.firstTestTime, "261200000001");
    EXPECT_EQ(made.manifest.lastTestTime, "261200003000");
    // The databases stay usable after the moment they were closed.
    StoreSet(db, 5000, 10, "new");
  }
  const BackupCheck check = VerifyBackup(folder);
  ASSERT_TRUE(check.ok) << check.problem;
  EXPECT_EQ(check.manifest.records, 2998u);
  EXPECT_EQ(ReadBackup(folder).size(), 2998u);
  EXPECT_FALSE(fs::exists(Path("storage.backup-snapshot-20261208-100000")));

  // Restored over the database as it is now: the old one is kept aside.
  std::string aside;
  ASSERT_TRUE(RestoreBackup(folder, Path("storage"), "20261208-110000", aside));
  EXPECT_EQ(aside, Path("storage.before-restore-20261208-110000"));
  EXPECT_EQ(Read(Path("storage")).size(), 2998u);
  EXPECT_EQ(Read(aside).size(), 3008u);
  RecordDb db(Path("storage"));
  RecycleBin bin(db, RecycleBin::FolderFor(Path("storage")));
  EXPECT_EQ(bin.Count(), 2u);
  EXPECT_TRUE(fs::exists(aside + ".recycle"));
  EXPECT_FALSE(fs::exists(Path("storage.restoring")));
  EXPECT_FALSE(fs::exists(Path("storage.restore-journal")));
}

// The count is walked in pieces cut by size; however the keys lie, every
// record is counted once.
TEST_F(BackupTest, TheManifestCountsEveryRecordOnceHoweverTheKeysLie) {
  struct Shape {
    const char* name;
    std::vector<std::string> keys;
  };
  std::vector<Shape> shapes = {{"none", {}}, {"one", {"261208100000"}}};
  Shape clustered{"clustered with outliers", {"0", "zzzzzzzzzzzz"}};
  for (int i = 0; i < 5000; ++i) clustered.keys.push_back("2612081" + std::to_string(10000 + i));
  shapes.push_back(clustered);
  Shape prefixes{"keys that are prefixes of others, odd bytes", {}};
  for (int i = 0; i < 3000; ++i) {
    std::string key = "26" + std::string(static_cast<size_t>(i % 11), static_cast<char>(i % 256));
    key += std::to_string(i);
    prefixes.keys.push_back(key);
    prefixes.keys.push_back(key.substr(0, key.size() - 1));
    prefixes.keys.push_back(key + std::string(1, '\0') + "\xFF");
  }
  shapes.push_back(prefixes);
  int round = 0;
  for (Shape& shape : shapes) {
    SCOPED_TRACE(shape.name);
    std::sort(shape.keys.begin(), shape.keys.end());
    shape.keys.erase(std::unique(shape.keys.begin(), shape.keys.end()), shape.keys.end());
    const std::string storage = Path("storage");
    fs::remove_all(storage);
    RecordDb db(storage);
    RecordDb::Batch batch;
    for (const std::string& key : shape.keys) batch.PutBytes(key, std::string(300, 'v'));
    ASSERT_TRUE(db.Write(batch, true));
    const BackupOutcome made = Backup(db, nullptr, "20261208-1000" + std::to_string(10 + round++));
    ASSERT_TRUE(made.status) << made.status.text.ToBytes(cp::kUtf8);
    EXPECT_EQ(made.manifest.records, shape.keys.size());
    EXPECT_EQ(ReadBackup(made.folder).size(), shape.keys.size());
  }
}

TEST_F(BackupTest, ADamagedBackupIsRefusedNamingWhatIsWrong) {
  struct Case {
    const char* what;
    std::function<void(const fs::path& backup)> damage;
    const char* problem;
  } cases[] = {
      {"a table file changed",
       [](const fs::path& b) {
         for (const auto& e : fs::directory_iterator(b / "records")) {
           if (e.path().extension() != ".ldb") continue;
           std::fstream f(e.path(), std::ios::in | std::ios::out | std::ios::binary);
           f.seekp(100);
           f.put('!');
           return;
         }
         FAIL() << "no table file";
       },
       "内容被改动或已损坏"},
      {"a file missing", [](const fs::path& b) { fs::remove(b / "records" / "CURRENT"); },
       "备份中缺少文件 records/CURRENT"},
      {"a file cut short",
       [](const fs::path& b) {
         for (const auto& e : fs::directory_iterator(b / "records")) {
           if (e.path().extension() == ".ldb") {
             fs::resize_file(e.path(), 10);
             return;
           }
         }
       },
       "大小不对"},
      {"no manifest", [](const fs::path& b) { fs::remove(b / "manifest.json"); }, "缺少清单"},
      {"a manifest that is no JSON",
       [](const fs::path& b) { std::ofstream(b / "manifest.json") << "{\"files\": ["; },
       "不是有效的 JSON"},
      {"a manifest leading elsewhere",
       [](const fs::path& b) {
         std::ofstream(b / "manifest.json")
             << R"({"files": [{"path": "records/../../x", "size": 1, "sha256": "00"}]})";
       },
       "不属于备份的文件"},
      {"a file added",
       [](const fs::path& b) { std::ofstream(b / "records" / "999999.ldb") << "x"; },
       "多出了清单里没有的文件 records/999999.ldb"},
  };
  {
    RecordDb db(Path("storage"));
    StoreSet(db, 1, 2000, "old");
  }
  int n = 0;
  for (const Case& c : cases) {
    std::string folder;
    {
      RecordDb db(Path("storage"));
      const BackupOutcome made = Backup(db, nullptr, "20261208-1000" + std::to_string(10 + n++));
      ASSERT_TRUE(made.status) << c.what;
      folder = made.folder;
    }
    c.damage(folder);
    const BackupCheck check = VerifyBackup(folder);
    EXPECT_FALSE(check.ok) << c.what;
    EXPECT_NE(check.problem.find(c.problem), std::string::npos) << c.what << ": " << check.problem;
    std::string aside;
    const Status restored = RestoreBackup(folder, Path("storage"), "x", aside);
    EXPECT_FALSE(restored) << c.what;
    EXPECT_EQ(Read(Path("storage")).size(), 2000u) << c.what << ": the database stays";
    EXPECT_FALSE(fs::exists(Path("storage.restoring"))) << c.what;
  }
}

// Records stored one after another while the backup runs: the backup holds
// a prefix of them, exactly as many as its manifest says, and the database
// holds every one.
TEST_F(BackupTest, ABackupDuringACaptureBurstMatchesItsManifestAndLosesNothing) {
  RecordDb db(Path("storage"));
  StoreSet(db, 1, 20000, "old");
  std::atomic<bool> stop{false};
  std::atomic<int> stored{0};
  std::thread capture([&] {
    for (int i = 100000; !stop; ++i) {
      char key[32];
      std::snprintf(key, sizeof key, "2612%08d", i);
      if (db.PutText(String::FromBytes(key, cp::kUtf8), u"{\"data\":\"burst\"}", true)) ++stored;
    }
  });
  while (stored < 20) std::this_thread::yield();
  const BackupOutcome made = Backup(db, nullptr, "20261208-120000");
  const int before = stored;
  while (stored < before + 20) std::this_thread::yield();
  stop = true;
  capture.join();
  ASSERT_TRUE(made.status) << made.status.text.ToBytes(cp::kUtf8);
  ASSERT_TRUE(VerifyBackup(made.folder).ok);
  const Contents backup = ReadBackup(made.folder);
  EXPECT_EQ(backup.size(), made.manifest.records);
  EXPECT_GT(backup.size(), 20020u) << "records stored before the backup are in it";
  EXPECT_LT(backup.size(), 20000u + stored) << "records stored after it are not";
  EXPECT_EQ(made.manifest.lastTestTime, backup.rbegin()->first);
  uint32_t count = 0;
  db.ForEachRaw([&](const char*, size_t, const char*, size_t) { ++count; });
  EXPECT_EQ(count, 20000u + stored);
}

TEST_F(BackupTest, ABackupThatCannotFinishRemovesItsPartialCopyAndSaysWhy) {
  {
    RecordDb db(Path("storage"));
    StoreSet(db, 1, 5000, "old");
  }
  // A full disk: no file may grow past 64 KiB (in a child, which alone is limited).
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RecordDb db(Path("storage"));
    fs::create_directories(Path("full"));
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64 << 10, 64 << 10};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const BackupOutcome made = MakeBackup(db, nullptr, Path("storage"), Path("full"),
                                          "20261208-130000", "2026-12-08 13:00:00");
    const std::string text = made.status.text.ToBytes(cp::kUtf8);
    if (made.status || text.find("磁盘已满") == std::string::npos)
      std::fprintf(stderr, "%s\n", text.c_str());
    const bool said = !made.status && text.find("磁盘已满") != std::string::npos &&
                      text.find("不完整的备份已删除") != std::string::npos;
    ::_exit(said && fs::is_empty(Path("full")) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "disk full";

  // A read-only target folder.
  fs::create_directories(Path("readonly"));
  ::chmod(Path("readonly").c_str(), 0555);
  ::chmod(dir_.c_str(), 0777);
  ::chmod(Path("storage").c_str(), 0777);
  EXPECT_TRUE(AsOrdinaryUser([this] {
    // The database is copied first to a folder this user owns.
    std::error_code error;
    fs::copy(Path("storage"), Path("mine"), fs::copy_options::recursive, error);
    RecordDb db(Path("mine"));
    const BackupOutcome made = MakeBackup(db, nullptr, Path("mine"), Path("readonly"),
                                          "20261208-130001", "2026-12-08 13:00:01");
    return !made.status &&
           made.status.text.ToBytes(cp::kUtf8).find("没有写入权限") != std::string::npos;
  }));
  EXPECT_TRUE(fs::is_empty(Path("readonly")));
}

TEST_F(BackupTest, OnlyTheNewestBackupsAreKept) {
  RecordDb db(Path("storage"));
  StoreSet(db, 1, 10, "old");
  for (const char* stamp : {"20261201-080000", "20261202-080000", "20261203-080000"})
    ASSERT_TRUE(Backup(db, nullptr, stamp).status);
  fs::create_directories(Path("backups/records-backup-20261130-080000.partial"));
  fs::create_directories(Path("backups/photos"));
  EXPECT_EQ(ListBackups(Path("backups")).size(), 3u);
  EXPECT_EQ(NewestBackupTime(Path("backups")), "2026-12-08 10:00:00");
  const std::vector<std::string> removed = PruneBackups(Path("backups"), 2);
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(fs::path(removed[0]).filename(), "records-backup-20261201-080000");
  EXPECT_TRUE(fs::exists(Path("backups/photos"))) << "other folders stay";
}

// A restoring process killed at random moments: the next start finishes or
// leaves the old database, never a mix of the two.
TEST_F(BackupTest, ARestoreKilledAtAnyMomentLeavesTheOldOrTheNewDatabase) {
  std::string backup;
  {
    RecordDb db(Path("source"));
    StoreSet(db, 1, 4000, "new");
    fs::create_directories(Path("backups"));
    const BackupOutcome made = MakeBackup(db, nullptr, Path("source"), Path("backups"),
                                          "20261208-140000", "2026-12-08 14:00:00");
    ASSERT_TRUE(made.status);
    backup = made.folder;
  }
  std::mt19937 random(1208);
  int restored = 0;
  int kept = 0;
  for (int run = 0; run < 8; ++run) {
    const std::string storage = Path("storage" + std::to_string(run));
    {
      RecordDb db(storage);
      StoreSet(db, 1, 3000, "old");
      RecycleBin bin(db, RecycleBin::FolderFor(storage));
      uint32_t moved = 0;
      ASSERT_TRUE(bin.MoveIn({"261200000001"}, u"2026-12-08 09:00:00", moved));
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string aside;
      ::_exit(RestoreBackup(backup, storage, "20261208-150000", aside) ? 0 : 1);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 60000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(FinishInterruptedRestore(storage));
    const Contents now = Read(storage);
    RecordDb db(storage);
    RecycleBin bin(db, RecycleBin::FolderFor(storage));
    if (now.size() == 4000) {
      EXPECT_EQ(now.begin()->second.find("new"), 9u) << "run " << run;
      EXPECT_EQ(bin.Count(), 0u) << "run " << run << ": the restored database has its own bin";
      ++restored;
    } else {
      EXPECT_EQ(now.size(), 2999u) << "run " << run;
      EXPECT_EQ(now.begin()->second.find("old"), 9u) << "run " << run;
      EXPECT_EQ(bin.Count(), 1u) << "run " << run;
      ++kept;
    }
  }
  RecordProperty("restored", restored);
  RecordProperty("kept", kept);

  // Stopped right after each of the renames: the next start finishes the restore.
  for (int stop = 1; stop <= 4; ++stop) {
    const std::string storage = Path("stopped" + std::to_string(stop));
    {
      RecordDb db(storage);
      StoreSet(db, 1, 3000, "old");
      RecycleBin bin(db, RecycleBin::FolderFor(storage));
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      SetRestoreStepHook([stop](int step) {
        if (step == stop) ::_exit(9);
      });
      std::string aside;
      (void)RestoreBackup(backup, storage, "20261208-150000", aside);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 9) << "step " << stop;
    EXPECT_TRUE(fs::exists(storage + ".restore-journal")) << "step " << stop;
    bool finished = false;
    ASSERT_TRUE(FinishInterruptedRestore(storage, &finished));
    EXPECT_TRUE(finished);
    EXPECT_EQ(Read(storage).size(), 4000u) << "step " << stop;
    EXPECT_EQ(Read(storage + ".before-restore-20261208-150000").size(), 3000u) << "step " << stop;
    EXPECT_FALSE(fs::exists(storage + ".restoring")) << "step " << stop;
  }
}

}  // namespace

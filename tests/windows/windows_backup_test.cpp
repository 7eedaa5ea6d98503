// Backups on Windows, where a station's folders often have Chinese names (the
// user's own folder among them) and the database holds its table files open.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/utf8_path.h"
#include "base/win_text.h"
#include "store/backup.h"
#include "store/record_db.h"
#include "tests/support/temp_dir.h"

namespace {

class WindowsBackupTest : public TempDirTest {};

uint32_t Count(const std::string& folder) {
  RecordDb db(folder, false);
  EXPECT_TRUE(db.IsOpen()) << folder;
  uint32_t count = 0;
  db.ForEachRaw([&](const char*, size_t, const char*, size_t) { ++count; });
  return count;
}

// Two backups in a row from a database under a Chinese folder into another,
// each verified, then one restored: the open database's tables do not keep
// the second backup from its snapshot, and every path survives the trip.
TEST_F(WindowsBackupTest, BackupsAndARestoreWorkUnderChineseFolders) {
  const std::string storage = Path("张伟的数据") + "\\storage";
  const std::string target = Path("数据备份");
  std::filesystem::create_directories(PathOf(storage).parent_path());
  std::filesystem::create_directories(PathOf(target));
  std::string second;
  {
    RecordDb db(storage);
    ASSERT_TRUE(db.IsOpen()) << db.OpenStatus().text.ToBytes(cp::kUtf8);
    for (const char16_t* key : {u"261208100001", u"261208100002", u"261208100003"}) {
      ASSERT_TRUE(db.PutText(key, u"{\"data\":\"检测\"}"));
    }
    for (const char* stamp : {"20261208-100000", "20261208-100001"}) {
      const BackupOutcome made =
          MakeBackup(db, nullptr, storage, target, stamp, "2026-12-08 10:00:00");
      ASSERT_TRUE(made.status) << stamp << ": " << made.status.text.ToBytes(cp::kUtf8);
      const BackupCheck check = VerifyBackup(made.folder);
      ASSERT_TRUE(check.ok) << check.problem;
      EXPECT_EQ(check.manifest.records, 3u);
      second = made.folder;
    }
    ASSERT_TRUE(db.PutText(u"261208100004", u"{\"data\":\"y\"}"));
  }
  EXPECT_EQ(ListBackups(target).size(), 2u);
  std::string aside;
  const Status restored = RestoreBackup(second, storage, "20261208-110000", aside);
  ASSERT_TRUE(restored) << restored.text.ToBytes(cp::kUtf8);
  EXPECT_EQ(Count(storage), 3u);
  EXPECT_EQ(Count(aside), 4u);
}

}  // namespace

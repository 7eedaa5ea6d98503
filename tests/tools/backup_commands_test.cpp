// backup, verify-backup and restore from the command line: the same backups
// as the window's, refused while the program holds the database, logged.
#include "tools/backup_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "store/operations_log.h"
#include "store/record_db.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class BackupCommandsTest : public TempDirTest {
 protected:
  using Command = int (*)(std::vector<std::string>, std::ostream&, std::ostream&);
  int Run(Command command, std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return command(std::move(args), out_, err_);
  }
  uint32_t Count(const std::string& storage) {
    RecordDb db(storage, false);
    return db.ForEachRaw([](const char*, size_t, const char*, size_t) {});
  }
  std::ostringstream out_, err_;
};

TEST_F(BackupCommandsTest, BackupVerifyAndRestoreFromTheCommandLine) {
  const std::string storage = Path("storage");
  {
    RecordDb db(storage);
    for (const char16_t* key : {u"261208100001", u"261208100002", u"261208100003"})
      ASSERT_TRUE(db.PutText(key, u"{\"data\":\"x\"}"));
  }
  fs::create_directories(Path("stick"));
  ASSERT_EQ(Run(RunBackupCommand, {"--storage", storage, "--to", Path("stick")}), 0) << err_.str();
  const std::vector<std::string> made = [this] {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(Path("stick"))) names.push_back(e.path().string());
    return names;
  }();
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(out_.str(), "backup " + made[0] +
                            "\nrecords 3\nrecycled 0\nfirst 261208100001\nlast 261208100003\n");

  EXPECT_EQ(Run(RunVerifyBackupCommand, {made[0]}), 0);
  EXPECT_EQ(out_.str().rfind("ok 3 records, 0 recycled, ", 0), 0u) << out_.str();

  {
    RecordDb db(storage);
    ASSERT_TRUE(db.PutText(u"261208100004", u"{\"data\":\"y\"}"));
    // Held by the running program: both refuse and say what to do.
    EXPECT_EQ(Run(RunRestoreCommand, {"--storage", storage, "--from", made[0]}), 1);
    EXPECT_NE(err_.str().find("正被程序使用"), std::string::npos) << err_.str();
    EXPECT_EQ(Run(RunBackupCommand, {"--storage", storage, "--to", Path("stick")}), 1);
  }
  ASSERT_EQ(Run(RunRestoreCommand, {"--storage", storage, "--from", made[0]}), 0) << err_.str();
  EXPECT_EQ(Count(storage), 3u);
  const std::string previous = out_.str().substr(out_.str().find("previous ") + 9);
  EXPECT_EQ(Count(previous.substr(0, previous.size() - 1)), 4u);

  fs::remove(fs::path(made[0]) / "records" / "CURRENT");
  EXPECT_EQ(Run(RunVerifyBackupCommand, {made[0]}), 1);
  EXPECT_EQ(out_.str(), "damaged: 备份中缺少文件 records/CURRENT\n");
  EXPECT_EQ(Run(RunRestoreCommand, {"--storage", storage, "--from", made[0]}), 1);
  EXPECT_EQ(Count(storage), 3u);
  EXPECT_EQ(Run(RunBackupCommand, {"--storage", storage}), 2) << "no target";

  std::vector<std::string> logged;
  for (const LogLine& line : ReadOperationsLog(OperationsLog::PathFor(storage)))
    logged.push_back(line.operation);
  EXPECT_EQ(logged, (std::vector<std::string>{"备份", "从备份恢复"}));
}

}  // namespace

// Backups from the window: into a chosen folder, by themselves into
// "backup_dir" keeping the newest, and a restore that checks first and keeps
// the database it replaces.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "store/backup.h"
#include "store/operations_log.h"
#include "tests/app_window/window_fixture.h"
#include "ui/file_dialog.h"

namespace {

namespace fs = std::filesystem;

QString chosenFolder;
QString AnswerFolder(const QString&) { return chosenFolder; }

class BackupWindowTest : public MainFrameWndTest {
 protected:
  void SetUp() override {
    MainFrameWndTest::SetUp();
    SetFolderHandler(AnswerFolder);
  }
  void TearDown() override {
    SetFolderHandler(nullptr);
    MainFrameWndTest::TearDown();
  }
  std::vector<std::string> Logged() {
    std::vector<std::string> operations;
    for (const LogLine& line : ReadOperationsLog(OperationsLog::PathFor(options_.storageFolder)))
      operations.push_back(line.operation);
    return operations;
  }
  bool Click(const char* name) {
    window_->findChild<QPushButton*>(name)->click();
    return QTest::qWaitFor([this] { return !window_->IsBackingUp(); }, 20000);
  }
  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (uint32_t i = 0; i < window_->Records().Count(); ++i)
      keys.push_back(window_->Records()[i].Key().ToBytes(cp::kUtf8));
    return keys;
  }
};

TEST_F(BackupWindowTest, BackUpThenRestoreCheckingTheBackupFirst) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"0")});
  MainFrameWnd& w = Open();
  fs::create_directories(Path("stick"));
  chosenFolder = QString::fromStdString(Path("stick"));
  ASSERT_TRUE(Click("BtnBackup"));
  ASSERT_EQ(ListBackups(Path("stick")).size(), 1u);
  const std::string backup = ListBackups(Path("stick"))[0];
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "已备份 2 条记录到 " + backup);
  EXPECT_TRUE(VerifyBackup(backup).ok);

  // Changed since: one deleted, one new.
  ClickCheckBox(0);
  w.findChild<QPushButton*>("btn_delete")->click();
  ASSERT_TRUE(
      StoreReceivedRecord(w.Database(), u"261206100003", RecordText(u"261206100003", u"03", u"1"))
          .status);
  CloseWindow();
  Open();
  ASSERT_EQ(Keys(), (std::vector<std::string>{"261206100002", "261206100003"}));

  // A "no" changes nothing; a "yes" puts the backup in place.
  chosenFolder = QString::fromStdString(backup);
  messages.clear();
  confirmAnswer = false;
  ASSERT_TRUE(Click("BtnRestoreBackup"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("（2 条记录，检测时间 261206100001 至 261206100002）替换当前的 2 条"),
            std::string::npos)
      << messages[0];
  EXPECT_EQ(Keys().size(), 2u);
  confirmAnswer = true;
  messages.clear();
  ASSERT_TRUE(Click("BtnRestoreBackup"));
  ASSERT_TRUE(QTest::qWaitFor([this] { return messages.size() == 2; }, 20000));
  EXPECT_EQ(messages[1].rfind("已从备份恢复 2 条记录。原来的数据库保存在 ", 0), 0u) << messages[1];
  EXPECT_EQ(Keys(), (std::vector<std::string>{"261206100001", "261206100002"}));
  // The restored database is the one in use: a tick is stored in it.
  ClickCheckBox(0);
  CloseWindow();
  Open();
  EXPECT_EQ(Keys(), (std::vector<std::string>{"261206100001", "261206100002"}));
  EXPECT_EQ(window_->GetCounts().ticked, 1u);
  EXPECT_EQ(Logged(), (std::vector<std::string>{"备份", "删除", "从备份恢复"}));

  // A damaged backup is refused, naming what is wrong.
  fs::remove(fs::path(backup) / "records" / "CURRENT");
  messages.clear();
  ASSERT_TRUE(Click("BtnRestoreBackup"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "备份 " + backup + " 已损坏，没有恢复：备份中缺少文件 records/CURRENT");
}

TEST_F(BackupWindowTest, TheDaysFirstStartBacksUpByItselfAndKeepsTheNewest) {
  Store({RecordText(u"261206100001", u"01", u"1")});
  fs::create_directories(Path("daily"));
  {
    RecordDb db(options_.storageFolder);
    for (const char* day : {"01", "02", "03"}) {
      ASSERT_TRUE(MakeBackup(db, nullptr, options_.storageFolder, Path("daily"),
                             std::string("202612") + day + "-080000",
                             std::string("2026-12-") + day + " 08:00:00")
                      .status);
    }
  }
  ASSERT_TRUE(ReplaceFileContent(
      settingsFile_, "{\"backup_dir\": \"" + Path("daily") + "\", \"backup_keep\": 2}"));
  Open();
  ASSERT_TRUE(QTest::qWaitFor([this] { return Logged().size() == 1; }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window_->IsBackingUp(); }, 20000));
  const std::vector<std::string> kept = ListBackups(Path("daily"));
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(fs::path(kept[0]).filename(), "records-backup-20261203-080000");
  EXPECT_EQ(Logged(), std::vector<std::string>{"自动备份"});
  // The second start of the day, and the close, find today's backup there.
  CloseWindow();
  Open();
  QTest::qWait(50);
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window_->IsBackingUp(); }, 20000));
  CloseWindow();
  EXPECT_EQ(ListBackups(Path("daily")).size(), 2u);
  EXPECT_EQ(Logged().size(), 1u);
}

// Typing the folder: each keystroke that names an existing folder ("/",
// the folder above) is saved, but only the whole folder gets the backup.
TEST_F(BackupWindowTest, TypingTheBackupFolderBacksUpOnlyIntoTheWholeOne) {
  Store({RecordText(u"261206100001", u"01", u"1")});
  fs::create_directories(Path("stick"));
  Open();
  auto* edit = window_->findChild<QLineEdit*>("EditBackupDir");
  for (const std::string& typed : {dir_.string(), Path("stick")}) {
    edit->setText(QString::fromStdString(typed));
    emit edit->textEdited(edit->text());
  }
  QTest::qWait(20);
  EXPECT_FALSE(window_->IsBackingUp()) << "nothing while typing";
  emit edit->editingFinished();
  ASSERT_TRUE(QTest::qWaitFor([this] { return Logged().back() == "自动备份"; }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window_->IsBackingUp(); }, 20000));
  EXPECT_EQ(ListBackups(Path("stick")).size(), 1u);
  EXPECT_TRUE(ListBackups(dir_.string()).empty());
  EXPECT_EQ(Settings().FindProperty(u"backup_dir")->Str(u""),
            String::FromBytes(Path("stick"), cp::kUtf8).ToStd());
}

#ifndef _WIN32
// The crash is a child process that ends itself mid-restore: fork is POSIX only.
// A restore cut short right after the database was moved aside (no database
// in place): the next start finishes it before opening anything.
TEST_F(BackupWindowTest, TheStartFinishesARestoreACrashCutShort) {
  Store({RecordText(u"261206100001", u"01", u"1")});
  fs::create_directories(Path("stick"));
  std::string backup;
  {
    RecordDb db(options_.storageFolder);
    const BackupOutcome made = MakeBackup(db, nullptr, options_.storageFolder, Path("stick"),
                                          "20261208-090000", "2026-12-08 09:00:00");
    ASSERT_TRUE(made.status);
    backup = made.folder;
    ASSERT_TRUE(
        StoreReceivedRecord(db, u"261206100002", RecordText(u"261206100002", u"02", u"1")).status);
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SetRestoreStepHook([](int step) {
      if (step == 1) ::_exit(9);
    });
    std::string aside;
    (void)RestoreBackup(backup, options_.storageFolder, "20261208-100000", aside);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 9);
  ASSERT_FALSE(fs::exists(options_.storageFolder)) << "stopped with no database in place";
  MainFrameWnd& w = Open();
  ASSERT_EQ(w.Records().Count(), 1u);
  EXPECT_EQ(w.Records()[0].Key().ToBytes(cp::kUtf8), "261206100001");
  EXPECT_TRUE(fs::exists(options_.storageFolder + ".before-restore-20261208-100000"));
}

#endif  // _WIN32

// A folder missing at start (the stick not yet in): the start's backup says
// so; at close, with the stick in and its newest backup days old, one is made.
TEST_F(BackupWindowTest, AtCloseABackupIsMadeWhenTheNewestIsADayOld) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1")});
  ASSERT_TRUE(ReplaceFileContent(settingsFile_, "{\"backup_dir\": \"" + Path("stick") + "\"}"));
  Open();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !messages.empty(); }, 20000));
  EXPECT_EQ(messages[0], "备份到 " + Path("stick") + " 没有完成：备份文件夹 " + Path("stick") +
                             " 不存在，请先建立它或选择别的文件夹");
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window_->IsBackingUp(); }, 20000));
  fs::create_directories(Path("stick"));
  {
    RecordDb other(Path("other"));
    ASSERT_TRUE(MakeBackup(other, nullptr, Path("other"), Path("stick"), "20261201-080000",
                           "2026-12-01 08:00:00")
                    .status);
  }
  CloseWindow();
  const std::vector<std::string> backups = ListBackups(Path("stick"));
  ASSERT_EQ(backups.size(), 2u);
  EXPECT_EQ(VerifyBackup(backups[1]).manifest.records, 2u);
  EXPECT_EQ(Logged(), std::vector<std::string>{"自动备份"});
}

}  // namespace

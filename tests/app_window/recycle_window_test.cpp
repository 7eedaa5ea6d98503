// The recycle bin from the window: deleted rows come back as they were,
// removal for good asks first, and old entries are offered for removal at start.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "base/calendar.h"
#include "store/operations_log.h"
#include "store/outbox.h"
#include "store/recycle_bin.h"
#include "tests/app_window/window_fixture.h"

namespace {

class RecycleWindowTest : public MainFrameWndTest {
 protected:
  std::vector<std::string> LoggedOperations() {
    std::vector<std::string> operations;
    for (const LogLine& line : ReadOperationsLog(OperationsLog::PathFor(options_.storageFolder)))
      operations.push_back(line.operation + " " + line.details);
    return operations;
  }
  // Opens the bin, runs `act` on its dialog, and gives the dates listed.
  std::vector<std::string> WithBin(const std::function<void(QDialog&)>& act = {}) {
    std::vector<std::string> dates;
    window_->Options().recycleBinShown = [&](QDialog& dialog) {
      if (act) act(dialog);
      const QAbstractItemModel* model = dialog.findChild<QTableView*>("RecycleBinTable")->model();
      for (int r = 0; r < model->rowCount(); ++r)
        dates.push_back(model->data(model->index(r, 1)).toString().toStdString());
    };
    window_->findChild<QPushButton*>("btn_recycle")->click();
    return dates;
  }
  static void Tick(QDialog& dialog, int row) {
    QAbstractItemModel* model = dialog.findChild<QTableView*>("RecycleBinTable")->model();
    model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole);
  }
};

TEST_F(RecycleWindowTest, DeletedRowsComeBackAsTheyWereAndPurgeAsksFirst) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"0"),
         RecordText(u"261206100003", u"03", u"1")});
  {
    RecordDb db(options_.storageFolder);
    ASSERT_TRUE(SetRecordUploaded(db, u"261206100002"));
  }
  MainFrameWnd& w = Open();
  ClickCheckBox(1);
  ClickCheckBox(2);
  w.findChild<QPushButton*>("btn_delete")->click();
  ASSERT_EQ(w.Records().Count(), 1u);
  EXPECT_EQ(WithBin().size(), 2u);

  // The uploaded one comes back uploaded and ticked, under its own key.
  messages.clear();
  const std::vector<std::string> left = WithBin([](QDialog& dialog) {
    Tick(dialog, 0);
    dialog.findChild<QPushButton*>("BtnRestoreDeleted")->click();
  });
  EXPECT_EQ(left.size(), 1u) << "the list is filled again after the restore";
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "已恢复 1 条记录");
  ASSERT_EQ(w.Records().Count(), 2u);
  const _NcItemData& back = w.Records()[1];
  EXPECT_EQ(back.Key().ToBytes(cp::kUtf8), "261206100002");
  EXPECT_TRUE(back.uploaded);
  EXPECT_TRUE(back.selected);
  EXPECT_EQ(w.GetCounts().ticked, 1u);

  // Removal for good: a "no" keeps it, a "yes" removes it.
  messages.clear();
  confirmAnswer = false;
  WithBin([](QDialog& dialog) {
    Tick(dialog, 0);
    dialog.findChild<QPushButton*>("BtnPurgeDeleted")->click();
  });
  EXPECT_EQ(messages, std::vector<std::string>{"彻底删除 1 条记录？彻底删除后无法恢复。"});
  confirmAnswer = true;
  const std::vector<std::string> after = WithBin([](QDialog& dialog) {
    dialog.findChild<QCheckBox*>("CheckRecycleAll")->setChecked(true);
    dialog.findChild<QPushButton*>("BtnPurgeDeleted")->click();
  });
  EXPECT_TRUE(after.empty());
  EXPECT_EQ(LoggedOperations(),
            (std::vector<std::string>{"删除 2 条记录", "恢复 1 条记录", "彻底删除 1 条记录"}));
}

// With automatic upload on, a restored record that was never uploaded is
// queued again (its deletion took it out); an uploaded one is not.
TEST_F(RecycleWindowTest, ARestoredRecordNotYetUploadedIsQueuedAgain) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1")});
  {
    RecordDb db(options_.storageFolder);
    ASSERT_TRUE(SetRecordUploaded(db, u"261206100002"));
    Outbox outbox(Outbox::FolderFor(options_.storageFolder));
  }
  UseAutoUploadToAClosedPort();
  MainFrameWnd& w = Open();
  window_->findChild<QCheckBox*>("selall")->click();
  w.findChild<QPushButton*>("btn_delete")->click();
  ASSERT_EQ(w.Records().Count(), 0u);
  WithBin([](QDialog& dialog) {
    dialog.findChild<QCheckBox*>("CheckRecycleAll")->setChecked(true);
    dialog.findChild<QPushButton*>("BtnRestoreDeleted")->click();
  });
  ASSERT_EQ(w.Records().Count(), 2u);
  for (uint32_t i = 0; i < 2; ++i) {
    const _NcItemData& r = w.Records()[i];
    EXPECT_TRUE(r.Columns().cell[0] == (r.uploaded ? u"已上传" : u"待上传"))
        << r.Key().ToBytes(cp::kUtf8) << " " << r.Columns().cell[0].ToBytes(cp::kUtf8);
  }
  CloseWindow();
  Outbox outbox(Outbox::FolderFor(options_.storageFolder));
  EXPECT_TRUE(outbox.Contains(u"261206100001"));
  EXPECT_FALSE(outbox.Contains(u"261206100002"));
}

TEST_F(RecycleWindowTest, EntriesOlderThanTheSettingAreOfferedForRemovalAtStart) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1")});
  {
    RecordDb db(options_.storageFolder);
    RecycleBin bin(db, RecycleBin::FolderFor(options_.storageFolder));
    uint32_t moved = 0;
    ASSERT_TRUE(bin.MoveIn({"261206100001"}, u"2020-01-01 08:00:00", moved));
    ASSERT_TRUE(bin.MoveIn({"261206100002"}, LocalNowText(), moved));
  }
  ASSERT_TRUE(ReplaceFileContent(settingsFile_, "{\"recycle_days\": 30}"));
  for (const bool answer : {false, true}) {
    confirmAnswer = answer;
    messages.clear();
    Open();
    QTest::qWait(30);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "回收站里有 1 条记录删除已超过 30 天，彻底删除它们？彻底删除后无法恢复。");
    EXPECT_EQ(WithBin().size(), answer ? 1u : 2u);
    CloseWindow();
  }
  EXPECT_EQ(LoggedOperations(), std::vector<std::string>{"清理回收站 1 条记录"});
}

}  // namespace

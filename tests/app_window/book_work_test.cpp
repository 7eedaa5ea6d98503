// Work over the records on a worker (as a long list gets it): the list is
// frozen while it runs, the commands that would change it wait, a record
// that arrives meanwhile is stored and listed when the work ends, and
// closing in the middle loses nothing.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <functional>

#include "tests/app_window/window_fixture.h"

namespace {

class BookWorkTest : public MainFrameWndTest {
 public:
  void SetUp() override {
    MainFrameWndTest::SetUp();
    options_.timing.bookWorkerFrom = 0;  // every list is long
  }
  // Six records, the second and the fifth ticked, in a database of their own.
  void StoreSix(const std::string& folder) {
    options_.storageFolder = Path(folder);
    std::vector<String> texts;
    for (int i = 1; i <= 6; ++i) {
      String time;
      time.Format(u"2612061000%02d", i);
      texts.push_back(RecordText(time.Handle(), u"01", i % 3 ? u"1" : u"0"));
    }
    Store(texts);
    RecordDb db(options_.storageFolder);
    ASSERT_TRUE(SetRecordSelected(db, u"261206100002", true));
    ASSERT_TRUE(SetRecordSelected(db, u"261206100005", true));
  }
  bool WaitForBook() {
    return QTest::qWaitFor([&] { return !window_->IsBookBusy(); }, 20000);
  }
  std::string Status() {
    return FullText(window_->findChild<QLabel*>("TextRecordCount")).toStdString();
  }
  uint32_t StoredTicks() { return StoredTicks(window_->Database()); }
  static uint32_t StoredTicks(RecordDb& db) {
    uint32_t ticked = 0;
    db.ForEach([&](String&, Json& doc) {
      ticked += doc.PropertyBool(u"selected", false) ? 1 : 0;
      return false;
    });
    return ticked;
  }
};

TEST_F(BookWorkTest, CommandsRunOnTheFrozenListAndARecordArrivingMeanwhileJoinsAfter) {
  struct Command {
    const char* what;
    std::function<void(MainFrameWnd&)> start;
    std::function<void(BookWorkTest&, MainFrameWnd&)> check;
  } commands[] = {
      {"sort by result, descending",
       [](MainFrameWnd& w) {
         w.OnHeaderClicked(3);
         ASSERT_TRUE(QTest::qWaitFor([&] { return !w.IsBookBusy(); }, 20000));
         w.OnHeaderClicked(3);
       },
       [](BookWorkTest&, MainFrameWnd& w) {
         EXPECT_EQ(w.View().SortColumn(), 2);
         EXPECT_TRUE(w.View().SortDescending());
       }},
      {"find",
       [](MainFrameWnd& w) {
         w.findChild<QComboBox*>("ComboResult")->setCurrentIndex(2);  // failed
         w.ApplyFindBar();
       },
       [](BookWorkTest& t, MainFrameWnd&) {
         EXPECT_EQ(t.Status(),
                   "共 7 条，显示 3 条，已勾选 2 条（其中 2 条未显示），合格 0 条，不合格 3 条");
       }},
      {"select all", [](MainFrameWnd& w) { w.findChild<QCheckBox*>("selall")->click(); },
       [](BookWorkTest& t, MainFrameWnd&) {
         EXPECT_EQ(t.StoredTicks(), 6u);
         EXPECT_EQ(t.Status(), "共 7 条，显示 7 条，已勾选 6 条，合格 4 条，不合格 3 条");
       }},
      {"delete the ticked", [](MainFrameWnd& w) { w.DeleteSelectedRecords(); },
       [](BookWorkTest& t, MainFrameWnd& w) {
         EXPECT_EQ(messages.back(), "已删除 2 条数据!\n删除的记录在“回收站”里，可以恢复。");
         EXPECT_EQ(w.Database().ForEach([](String&, Json&) { return false; }), 5u);
         EXPECT_EQ(t.Status(), "共 5 条，显示 5 条，已勾选 0 条，合格 2 条，不合格 3 条");
       }},
      {"statistics", [](MainFrameWnd& w) { w.findChild<QPushButton*>("stats")->click(); },
       [](BookWorkTest&, MainFrameWnd& w) {
         EXPECT_EQ(w.findChild<QLabel*>("TextStatsScope")->text(),
                   QStringLiteral("按日统计记录页当前显示的 6 条记录"))
             << "counted over the rows before the new record";
       }},
  };
  int n = 0;
  for (const Command& command : commands) {
    SCOPED_TRACE(command.what);
    StoreSix("storage" + std::to_string(n++));
    Open();
    messages.clear();
    command.start(*window_);
    ASSERT_TRUE(window_->IsBookBusy());
    // A record from the detector while the work runs: stored at once, listed after.
    const String text = RecordText(u"261206110000", u"02", u"0");
    ASSERT_TRUE(StoreReceivedRecord(window_->Database(), u"261206110000", text).status);
    window_->HandOverRecord(u"261206110000", text, true, false, u"");
    // A click on a box waits for nothing: it is not taken.
    const _NcItemData* first = window_->Records().Element(0);
    const bool ticked = first->selected;
    const size_t said = messages.size();
    window_->OnRecordCheckClicked(const_cast<_NcItemData*>(first));
    EXPECT_EQ(first->selected, ticked);
    EXPECT_EQ(messages.size(), said);
    window_->ClearFind();
    EXPECT_EQ(messages.back(), "正在处理记录，请稍候再试");
    EXPECT_FALSE(window_->findChild<QPushButton*>("btn_delete")->isEnabled());

    ASSERT_TRUE(WaitForBook());
    EXPECT_TRUE(window_->findChild<QPushButton*>("btn_delete")->isEnabled());
    const NcItemList& records = window_->Records();
    ASSERT_GT(records.Count(), 0u);
    EXPECT_TRUE(records[records.Count() - 1].Key() == u"261206110000") << "listed at the end";
    command.check(*this, *window_);
    CloseWindow();
  }
}

TEST_F(BookWorkTest, ClosingWhileTheWorkRunsKeepsItsWriteAndTheRecordsThatWaited) {
  StoreSix("storage");
  Open();
  window_->findChild<QCheckBox*>("selall")->click();
  ASSERT_TRUE(window_->IsBookBusy());
  // The disk refused this one: it waits, and is stored at close.
  const String text = RecordText(u"261206110000", u"02", u"0");
  window_->HandOverRecord(u"261206110000", text, false, false, u"");
  CloseWindow();
  RecordDb db(options_.storageFolder);
  String stored;
  EXPECT_TRUE(db.GetText(u"261206110000", stored));
  uint32_t records = 0;
  db.ForEach([&](String& key, Json& doc) {
    ++records;
    EXPECT_EQ(doc.PropertyBool(u"selected", false), !(key == u"261206110000"))
        << key.ToBytes(cp::kUtf8) << ": the select-all write was made";
    return false;
  });
  EXPECT_EQ(records, 7u);
}

}  // namespace

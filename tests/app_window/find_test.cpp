// The record page's filter bar, header sorting and counts.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "tests/app_window/window_fixture.h"

namespace {

class FindTest : public MainFrameWndTest {
 protected:
  // Six records over three days: samples, results and rates of their own.
  void StoreSix() {
    const char16_t* samples[] = {u"毛豆", u"黄瓜", u"毛豆", u"白菜", u"黄瓜", u"毛豆"};
    const char16_t* rates[] = {u"30.0", u"9.5", u"12.0", u"55.0", u"9.5", u"70.0"};
    const char16_t* times[] = {u"261204080000", u"261205235959", u"261206000000",
                               u"261206080000", u"261206120000", u"261206235959"};
    std::vector<String> texts;
    for (int i = 0; i < 6; ++i) {
      FrameFields f;
      f.time = times[i];
      f.sample = samples[i];
      f.rate = rates[i];
      f.result = i % 2 ? u"1" : u"0";
      texts.push_back(String::FromBytes(BuildFrame(f).substr(3), cp::kGbk));
    }
    Store(texts);
  }
  void Type(const QString& text) {
    auto* edit = window_->findChild<QLineEdit*>("EditFind");
    edit->setFocus();
    edit->selectAll();
    // Key by key, as the operator types (an input method hands over Chinese text).
    for (const QChar c : text) {
      QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Backspace);
  }
  void Pick(const char* combo, int index) {
    auto* box = window_->findChild<QComboBox*>(combo);
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  void Click(const char* name) { window_->findChild<QPushButton*>(name)->click(); }
  // The samples of the rows shown, top to bottom.
  std::vector<std::string> Shown() {
    std::vector<std::string> rows;
    auto* model = window_->RecordList()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
      rows.push_back(model->data(Index(row, 2)).toString().toStdString() + " " +
                     model->data(Index(row, 4)).toString().toStdString());
    }
    return rows;
  }
  std::string Status() {
    return FullText(window_->findChild<QLabel*>("TextRecordCount")).toStdString();
  }
  bool StoredTick(const char16_t* key) {
    Json doc;
    EXPECT_TRUE(window_->Database().GetJson(key, doc));
    return doc.PropertyBool(u"selected", false);
  }
};

using Rows = std::vector<std::string>;

TEST_F(FindTest, TypingFiltersAndClearingRestoresTheStoredOrder) {
  StoreSix();
  options_.today = QDate(2026, 12, 6);
  Open();
  EXPECT_EQ(Status(), "共 6 条，显示 6 条，已勾选 0 条，合格 3 条，不合格 3 条");
  Type(QStringLiteral("毛"));
  EXPECT_EQ(Shown(), (Rows{"毛豆 30.0％", "毛豆 12.0％", "毛豆 70.0％"}));
  EXPECT_EQ(Status(), "共 6 条，显示 3 条，已勾选 0 条，合格 1 条，不合格 2 条");
  Click("BtnToday");  // 2026-12-06, from midnight to the last second
  EXPECT_EQ(Shown(), (Rows{"毛豆 12.0％", "毛豆 70.0％"}));
  Type(QString());
  EXPECT_EQ(Shown().size(), 4u) << "today's four";
  Click("BtnWeek");
  EXPECT_EQ(window_->findChild<QDateEdit*>("DateFrom")->date(), QDate(2026, 11, 30));
  EXPECT_EQ(Shown().size(), 6u);
  Click("BtnMonth");
  EXPECT_EQ(window_->findChild<QDateEdit*>("DateTo")->date(), QDate(2026, 12, 31));
  Pick("ComboResult", 1);  // 合格
  EXPECT_EQ(Shown(), (Rows{"黄瓜 9.5％", "白菜 55.0％", "毛豆 70.0％"}));
  Pick("ComboUploaded", 1);  // 已上传
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Status(), "共 6 条，显示 0 条，已勾选 0 条，合格 0 条，不合格 0 条");
  Click("BtnClearFind");
  EXPECT_EQ(Shown(), (Rows{"毛豆 30.0％", "黄瓜 9.5％", "毛豆 12.0％", "白菜 55.0％", "黄瓜 9.5％",
                           "毛豆 70.0％"}));
  EXPECT_FALSE(window_->findChild<QCheckBox*>("CheckDate")->isChecked());
  EXPECT_TRUE(window_->View().IsWhole());
}

TEST_F(FindTest, HeaderClicksSortUpDownAndBackWithTheArrow) {
  StoreSix();
  Open();
  QHeaderView* header = window_->RecordList()->horizontalHeader();
  const int rate = 4;  // section: check boxes, status, name, result, rate
  window_->OnHeaderClicked(rate);
  EXPECT_EQ(Shown(), (Rows{"黄瓜 9.5％", "黄瓜 9.5％", "毛豆 12.0％", "毛豆 30.0％", "白菜 55.0％",
                           "毛豆 70.0％"}));
  EXPECT_TRUE(header->isSortIndicatorShown());
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  window_->OnHeaderClicked(rate);
  EXPECT_EQ(Shown().front(), "毛豆 70.0％");
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
  Type(QStringLiteral("毛豆"));  // the filter keeps the sort
  EXPECT_EQ(Shown(), (Rows{"毛豆 70.0％", "毛豆 30.0％", "毛豆 12.0％"}));
  window_->OnHeaderClicked(rate);
  EXPECT_EQ(Shown(), (Rows{"毛豆 30.0％", "毛豆 12.0％", "毛豆 70.0％"})) << "stored order";
  EXPECT_FALSE(header->isSortIndicatorShown());
  EXPECT_EQ(window_->Records()[0].Key().ToBytes(cp::kUtf8), "261204080000") << "nothing moved";
}

TEST_F(FindTest, SelectAllUnderAFilterTicksTheShownRowsAndDeletionCountsHiddenOnes) {
  StoreSix();
  Open();
  ClickCheckBox(1);  // 黄瓜 of 12-05, ticked before the filter
  Type(QStringLiteral("毛豆"));
  auto* all = window_->findChild<QCheckBox*>("selall");
  all->click();
  EXPECT_TRUE(StoredTick(u"261204080000"));
  EXPECT_TRUE(StoredTick(u"261206000000"));
  EXPECT_FALSE(StoredTick(u"261206080000")) << "hidden rows keep their boxes";
  EXPECT_TRUE(StoredTick(u"261205235959"));
  EXPECT_EQ(Status(), "共 6 条，显示 3 条，已勾选 4 条（其中 1 条未显示），合格 1 条，不合格 2 条");
  confirmAnswer = false;
  window_->findChild<QPushButton*>("btn_delete")->click();
  EXPECT_EQ(messages.back(), "删除 4 条记录（其中 1 条不在当前列表中）？");
  confirmAnswer = true;
  window_->findChild<QPushButton*>("btn_delete")->click();
  EXPECT_EQ(messages.back(), "已删除 4 条数据!\n删除的记录在“回收站”里，可以恢复。");
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(window_->Records().Count(), 2u);
  Click("BtnClearFind");
  if (all->isChecked()) all->click();  // unticks what is left
  all->click();                        // no filter: every record
  EXPECT_TRUE(StoredTick(u"261206080000"));
  EXPECT_TRUE(StoredTick(u"261206120000"));
}

TEST_F(FindTest, ANewDetectorRowShowsWhenTheFilterTakesItAndTheTraceCodeFindsIt) {
  StoreSix();
  Open();
  Type(QStringLiteral("黄瓜"));
  window_->OnHeaderClicked(4);  // by rate
  FrameFields f;
  f.time = u"261206130000";
  f.sample = u"黄瓜";
  f.rate = u"10.0";
  window_->AddRecordRow(false, false, String::FromBytes(BuildFrame(f).substr(3), cp::kGbk));
  f.sample = u"白菜";
  window_->AddRecordRow(false, false, String::FromBytes(BuildFrame(f).substr(3), cp::kGbk));
  EXPECT_EQ(Shown(), (Rows{"黄瓜 9.5％", "黄瓜 9.5％", "黄瓜 10.0％"}));
  EXPECT_EQ(Status(), "共 8 条，显示 3 条，已勾选 0 条，合格 1 条，不合格 2 条");
  const QString code = window_->RecordList()->model()->data(Index(2, 16)).toString();
  ASSERT_EQ(code.size(), 12);
  EXPECT_EQ(code, QString::fromStdString(TraceCode(window_->Records()[6]).ToBytes(cp::kUtf8)));
  Type(code.toLower());
  EXPECT_EQ(Shown(), (Rows{"黄瓜 10.0％"}));
}

// The status bar counts ticked rows that are hidden: a tick on a row shown
// is never counted as hidden, with or without a filter.
TEST_F(FindTest, ATickOnAShownRowIsNeverCountedAsHidden) {
  StoreSix();
  Open();
  ClickCheckBox(0);
  EXPECT_EQ(Status(), "共 6 条，显示 6 条，已勾选 1 条，合格 3 条，不合格 3 条");
  Type(QStringLiteral("毛豆"));
  ClickCheckBox(1);
  EXPECT_EQ(Status(), "共 6 条，显示 3 条，已勾选 2 条，合格 1 条，不合格 2 条");
  ClickCheckBox(1);
  ClickCheckBox(0);
  EXPECT_EQ(Status(), "共 6 条，显示 3 条，已勾选 0 条，合格 1 条，不合格 2 条");
}

// An upload reply changes what the "上传状态" filter looks at: the row joins
// the rows shown at once and stays when the search text grows.
TEST_F(FindTest, AFreshlyUploadedRowJoinsTheUploadedFilterAndStaysWhenTheTextGrows) {
  StoreSix();
  {
    RecordDb db(options_.storageFolder);
    ASSERT_TRUE(SetRecordUploaded(db, u"261204080000"));
  }
  Open();
  Pick("ComboUploaded", 1);  // 已上传
  Type(QStringLiteral("毛"));
  ASSERT_EQ(Shown(), (Rows{"毛豆 30.0％"}));
  const _NcItemData& fresh = window_->Records()[2];  // 毛豆 12.0, not uploaded yet
  window_->ShowUploadReply(fresh.serial, fresh.Key(), u"已上传", true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Shown().size() == 2; }, 5000));
  EXPECT_EQ(Shown(), (Rows{"毛豆 30.0％", "毛豆 12.0％"}));
  EXPECT_EQ(Status(), "共 6 条，显示 2 条，已勾选 0 条，合格 0 条，不合格 2 条");
  Type(QStringLiteral("毛豆"));
  EXPECT_EQ(Shown(), (Rows{"毛豆 30.0％", "毛豆 12.0％"}));
  // Under "未上传" the same reply takes the row away.
  Pick("ComboUploaded", 2);
  ASSERT_EQ(Shown(), (Rows{"毛豆 70.0％"}));
  const _NcItemData& last = window_->Records()[5];
  window_->ShowUploadReply(last.serial, last.Key(), u"已上传", true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Shown().empty(); }, 5000));
}

}  // namespace

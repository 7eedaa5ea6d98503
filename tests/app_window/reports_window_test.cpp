// The spreadsheet exports, the results notice and the statistics page in
// the window.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "base/file_io.h"
#include "tests/app_window/window_fixture.h"
#include "ui/file_dialog.h"

namespace {

QString savePath;
QString AnswerSavePath(const QString&) { return savePath; }

class ReportsWindowTest : public MainFrameWndTest {
 protected:
  void SetUp() override {
    MainFrameWndTest::SetUp();
    SetSaveFileHandler(AnswerSavePath);
    options_.today = QDate(2026, 12, 6);
  }
  void TearDown() override {
    SetSaveFileHandler(nullptr);
    SetChosenSaveFilter(-1);
    MainFrameWndTest::TearDown();
  }
  void StoreThree() {
    Store({RecordText(u"261205080000", u"01", u"0"), RecordText(u"261206080000", u"02", u"1"),
           RecordText(u"261206090000", u"03", u"1")});
  }
  void Click(const char* name) { window_->findChild<QPushButton*>(name)->click(); }
  bool WaitForOutput() {
    return QTest::qWaitFor([&] { return !window_->IsWritingOutput(); }, 20000);
  }
};

TEST_F(ReportsWindowTest, CsvAndXlsxHoldTheRowsShownAndGetTheirExtension) {
  StoreThree();
  Open();
  auto* find = window_->findChild<QLineEdit*>("EditFind");
  find->setText(QStringLiteral("城东"));
  window_->ApplyFindBar();
  window_->OnHeaderClicked(15);  // channel, then reversed: the newest channel first
  window_->OnHeaderClicked(15);
  savePath = QString::fromStdString(Path("records"));
  SetChosenSaveFilter(1);  // CSV, no extension typed
  Click("btn_export");
  ASSERT_TRUE(WaitForOutput());
  EXPECT_EQ(messages.back(), "3 条数据成功导出到 " + Path("records") + ".csv");
  std::string csv;
  ASSERT_TRUE(ReadWholeFile(Path("records.csv"), csv));
  const size_t first = csv.find("2026-12-06 09:00:00"), last = csv.find("2026-12-05 08:00:00");
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(first, last) << "in the order shown";
  SetChosenSaveFilter(2);  // XLSX
  Click("btn_export");
  ASSERT_TRUE(WaitForOutput());
  EXPECT_TRUE(std::filesystem::exists(Path("records.xlsx")));
  EXPECT_EQ(messages.back(), "3 条数据成功导出到 " + Path("records") + ".xlsx");
  SetChosenSaveFilter(1);
  savePath = QString::fromStdString(Path("no/such/folder/records.csv"));
  Click("btn_export");
  ASSERT_TRUE(WaitForOutput());
  EXPECT_EQ(messages.back().rfind("无法保存文件 " + Path("no/such/folder/records.csv"), 0), 0u)
      << messages.back();
}

TEST_F(ReportsWindowTest, TheNoticeIsSavedAndOffered) {
  StoreThree();
  Open();
  savePath = QString::fromStdString(Path("notice"));
  confirmAnswer = false;  // not opened
  Click("btn_notice");
  ASSERT_TRUE(WaitForOutput());
  EXPECT_EQ(messages.back(), "公示单已保存到 " + Path("notice") + ".pdf（3 条记录）。现在打开吗？");
  std::string pdf;
  ASSERT_TRUE(ReadWholeFile(Path("notice.pdf"), pdf));
  EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
}

TEST_F(ReportsWindowTest, TheStatisticsPageCountsTheRowsShown) {
  StoreThree();
  Open();
  window_->findChild<QPushButton*>("stats")->click();
  auto* days = window_->findChild<QTableWidget*>("StatsPeriodTable");
  ASSERT_EQ(days->rowCount(), 2);
  EXPECT_EQ(days->item(0, 0)->text(), QStringLiteral("2026-12-05"));
  EXPECT_EQ(days->item(0, 3)->text(), QStringLiteral("1"));  // failed
  EXPECT_EQ(days->item(1, 1)->text(), QStringLiteral("2"));  // tested
  EXPECT_EQ(days->item(1, 4)->text(), QStringLiteral("0.0%"));
  EXPECT_EQ(window_->findChild<QLabel*>("TextStatsScope")->text(),
            QStringLiteral("按日统计记录页当前显示的 3 条记录"));
  auto* products = window_->findChild<QTableWidget*>("StatsProductTable");
  ASSERT_EQ(products->rowCount(), 1);
  EXPECT_EQ(products->item(0, 1)->text(), QStringLiteral("3"));
  // A record arriving while the page is shown is counted there too.
  window_->AddRecordRow(false, false, RecordText(u"261206100000", u"01", u"0"));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return window_->findChild<QLabel*>("TextStatsScope")->text() ==
               QStringLiteral("按日统计记录页当前显示的 4 条记录");
      },
      5000));
  EXPECT_EQ(products->item(0, 1)->text(), QStringLiteral("4"));
}

}  // namespace

// The operations log from the window: each operation is on the disk when the
// window reports it, the about page shows the log newest first, and a log
// changed by hand is said once at start.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "base/file_io.h"
#include "store/operations_log.h"
#include "tests/app_window/window_fixture.h"

namespace {

// What the log held when the window reported an operation done.
std::string logPath;
std::vector<LogLine> atReport;
bool ReadLogAtReport(const QString& text, MessageKind kind, const QString&) {
  messages.push_back(text.toStdString());
  if (kind == MessageKind::kInformation) atReport = ReadOperationsLog(logPath);
  return true;
}

class OperationsLogWindowTest : public MainFrameWndTest {
 protected:
  std::string LogPath() const { return OperationsLog::PathFor(options_.storageFolder); }
};

TEST_F(OperationsLogWindowTest, OperationsAreLoggedShownNewestFirstAndTamperingIsSaid) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"0")});
  MainFrameWnd& w = Open();
  auto* unit = w.findChild<QLineEdit*>("EditUnitName");
  unit->setText(QStringLiteral("县农检站"));
  emit unit->textEdited(unit->text());
  auto* bits = w.findChild<QComboBox*>("ComboBits");
  bits->setCurrentIndex(bits->findText(QStringLiteral("115200")));
  emit bits->activated(bits->currentIndex());
  ClickCheckBox(1);
  messages.clear();
  // The box that reports the delete: the log holds the line by then.
  logPath = LogPath();
  atReport.clear();
  SetMessageBoxHandler(ReadLogAtReport);
  w.findChild<QPushButton*>("btn_delete")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !atReport.empty(); }, 20000));
  ASSERT_EQ(atReport.size(), 3u);
  EXPECT_EQ(atReport[0].operation, "设置");
  EXPECT_EQ(atReport[0].details, "单位名称 = 县农检站");
  EXPECT_EQ(atReport[1].details, "波特率 = 115200");
  EXPECT_EQ(atReport[2].operation, "删除");
  EXPECT_EQ(atReport[2].details, "1 条记录");

  std::vector<std::string> shown;
  options_.operationsLogShown = [&](QTableWidget& table) {
    for (int r = 0; r < table.rowCount(); ++r)
      shown.push_back(table.item(r, 3)->text().toStdString());
  };
  CloseWindow();
  SetMessageBoxHandler(RecordMessage);
  Open();
  window_->findChild<QPushButton*>("BtnOperationsLog")->click();
  EXPECT_EQ(shown, (std::vector<std::string>{"删除", "设置", "设置"}));
  EXPECT_TRUE(messages.empty() || messages.back().find("操作记录") == std::string::npos);

  // Changed by hand: said once, at the next start, with the line.
  CloseWindow();
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(LogPath(), bytes));
  bytes.replace(bytes.find("1 条记录"), 1, "5");
  ASSERT_TRUE(ReplaceFileContent(LogPath(), bytes));
  messages.clear();
  Open();
  QTest::qWait(50);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("第 3 行：这一行的内容与校验值不符"), std::string::npos)
      << messages[0];
}

}  // namespace

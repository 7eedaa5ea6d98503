#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "tests/app_window/window_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "ui/file_dialog.h"

namespace {

QString exportPath;
QString AnswerExportPath(const QString& filter) {
  // The text file first, then the spreadsheet formats (or the notice's PDF).
  EXPECT_TRUE(
      filter ==
          QStringLiteral("文本文件（全部记录） (*.txt);;CSV 文件 (*.csv);;Excel 工作簿 (*.xlsx)") ||
      filter == QStringLiteral("PDF 文件 (*.pdf)"))
      << filter.toStdString();
  return exportPath;
}

class OutputsTest : public MainFrameWndTest {
 protected:
  void SetUp() override {
    MainFrameWndTest::SetUp();
    SetSaveFileHandler(AnswerExportPath);
  }
  void TearDown() override {
    fileSize_.Lift();  // before the window closes and writes
    SetSaveFileHandler(nullptr);
    MainFrameWndTest::TearDown();
  }
  FileSizeLimit fileSize_;
  void StoreNumbered(int count) {
    std::vector<String> texts;
    for (int i = 1; i <= count; ++i) {
      String time;
      time.Format(u"2612061000%02d", i);
      String channel;
      channel.Format(u"%02d", i);
      texts.push_back(RecordText(time.Handle(), channel.Handle(), u"1"));
    }
    Store(texts);
  }
  void Tick(std::initializer_list<int> rows) {
    for (int row : rows) ClickCheckBox(row);
  }
  void Click(const char* name) { window_->findChild<QPushButton*>(name)->click(); }
  std::string ProgressText() {
    return window_->findChild<QLabel*>("TextPrintProgress")->text().toStdString();
  }
  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (uint32_t i = 0; i < window_->Records().Count(); ++i) {
      keys.push_back(window_->Records()[i].Key().ToBytes(cp::kUtf8).substr(10));
    }
    return keys;
  }
};

TEST_F(OutputsTest, ExportWritesStoredRecordsLastFirstAndReportsFailures) {
  StoreNumbered(3);
  Open();
  ASSERT_TRUE(window_->Database().Delete(u"261206100002"));  // gone from the database meanwhile
  exportPath = QString::fromStdString(Path("export.txt"));
  const auto exportFile = [&] {
    Click("btn_export");
    return QTest::qWaitFor([&] { return !window_->IsWritingOutput(); }, 20000);
  };
  ASSERT_TRUE(exportFile());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "2 条数据成功导出到 " + exportPath.toStdString());
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(Path("export.txt"), bytes));
  const std::string text = String::FromBytes(bytes, cp::kGbk).ToBytes(cp::kUtf8);
  EXPECT_LT(text.find("2026-12-06 10:00:03"), text.find("2026-12-06 10:00:01"));
  EXPECT_EQ(text.find("2026-12-06 10:00:02"), std::string::npos);

  // A name typed without an extension gets ".txt".
  exportPath = QString::fromStdString(Path("records"));
  ASSERT_TRUE(exportFile());
  EXPECT_TRUE(std::filesystem::exists(Path("records.txt")));
  EXPECT_FALSE(std::filesystem::exists(Path("records")));

  exportPath = QString::fromStdString(Path("missing/folder/export.txt"));
  ASSERT_TRUE(exportFile());
  EXPECT_EQ(messages.back().rfind("无法保存文件 " + exportPath.toStdString(), 0), 0u);
  std::ofstream(Path("readonly.txt")) << "kept";
  std::filesystem::permissions(Path("readonly.txt"), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::group_read |
                                                         std::filesystem::perms::others_read);
  exportPath = QString::fromStdString(Path("readonly.txt"));
  messages.clear();
  ASSERT_TRUE(exportFile());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("无法保存文件 ", 0), 0u) << "a read-only file is not replaced";
  ReadWholeFile(Path("readonly.txt"), bytes);
  EXPECT_EQ(bytes, "kept");
  exportPath.clear();  // cancelled
  ASSERT_TRUE(exportFile());
  EXPECT_EQ(messages.size(), 1u) << "a cancelled export says nothing";
}

TEST_F(OutputsTest, DeletionRemovesTickedRowsRecordsAndStoredEntriesTogether) {
  StoreNumbered(5);
  Open();
  Tick({1, 3});
  confirmAnswer = false;
  Click("btn_delete");
  EXPECT_EQ(messages, std::vector<std::string>{"删除 2 条记录？"});
  EXPECT_EQ(window_->Records().Count(), 5u) << "Cancel changes nothing";
  confirmAnswer = true;
  Click("btn_delete");
  EXPECT_EQ(messages.back(), "已删除 2 条数据!\n删除的记录在“回收站”里，可以恢复。");
  EXPECT_EQ(Keys(), (std::vector<std::string>{"01", "03", "05"}));
  EXPECT_EQ(window_->RecordList()->model()->rowCount(), 3);
  String gone;
  EXPECT_FALSE(window_->Database().GetText(u"261206100002", gone));
  EXPECT_TRUE(window_->Database().GetText(u"261206100003", gone));
  window_->findChild<QCheckBox*>("selall")->click();
  Click("btn_delete");
  EXPECT_EQ(messages.back(), "已删除 3 条数据!\n删除的记录在“回收站”里，可以恢复。");
  EXPECT_EQ(window_->Records().Count(), 0u);
  EXPECT_TRUE(window_->findChild<QCheckBox*>("selall")->isChecked());
}

TEST_F(OutputsTest, PrintJobPrintsTickedRecordsInOrderAndRefusesASecondJob) {
  std::ofstream(settingsFile_)
      << "{\"deviceid\": \"0123456789ABCDEF\", \"printer\": {\"device\": \"dir:" << Path("labels")
      << "\"}}";
  StoreNumbered(10);
  options_.timing.printIntervalMs = 100;
  Open();
  Tick({1, 4, 7});
  Click("btn_print");
  EXPECT_TRUE(window_->IsPrinting());
  EXPECT_EQ(ProgressText(), "正在打印 1/3") << "one label handed over, two ticked ahead";
  Click("btn_print");
  EXPECT_EQ(messages, std::vector<std::string>{"正在打印，请等待之前的打印完成"});
  ClickCheckBox(7);  // unticked ahead of the cursor
  EXPECT_EQ(ProgressText(), "正在打印 1/3") << "read afresh at the next step";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IsPrinting(); }, 20000));
  EXPECT_EQ(messages.back(), "打印完成，共打印了 2 个标签");
  EXPECT_FALSE(window_->findChild<QWidget*>("BtnStopPrint")->isVisible());
  std::string first, second;
  ReadWholeFile(Path("labels/label-0001.tspl"), first);
  ReadWholeFile(Path("labels/label-0002.tspl"), second);
  EXPECT_NE(first.find("2026-12-06 10:00:02"), std::string::npos);
  EXPECT_NE(second.find("2026-12-06 10:00:05"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Path("labels/label-0003.tspl")));
}

TEST_F(OutputsTest, PrintingNeedsADeviceIdAndStopsAtAPrinterThatTakesNothing) {
  StoreNumbered(3);
  Open();
  Tick({0, 1, 2});
  Click("btn_print");
  EXPECT_EQ(messages.back(), "请先设置设备ID，点击“设置”按钮，填写设备标签上的ID，并且点击保存。");
  window_.reset();
  int refused;
  {
    LoopbackServer closed;
    refused = closed.Port();
  }
  peers::Peer resets(peers::Peer::kReset);
  struct Case {
    int port;
    const char* reason;
  } cases[] = {{refused, "打印机拒绝连接，请检查打印机是否开机、地址和端口是否正确"},
               {resets.Port(), "打印机断开了连接，标签没有打印"}};
  for (const Case& c : cases) {
    const std::string device = "tcp://127.0.0.1:" + std::to_string(c.port);
    std::ofstream(settingsFile_) << R"({"deviceid": "0123456789ABCDEF", "printer": {"device": ")"
                                 << device << "\"}}";
    options_.timing.labelTimeouts = LabelTimeouts{5000, 1000, 5000};
    Open();
    messages.clear();
    Click("btn_print");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IsPrinting(); }, 20000));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "标签没有送到打印机 " + device + "：" + c.reason + "\n已打印 0 个标签");
    window_.reset();
  }
}

// A printer whose connection hangs: the window goes on working, the stop
// button ends the job at once, and closing never waits for the printer.
TEST_F(OutputsTest, AHungPrinterNeitherFreezesTheWindowNorHoldsItsClose) {
  peers::FullQueue hung;
  std::ofstream(settingsFile_) << R"({"deviceid": "0123456789ABCDEF", "printer": {"device": ")"
                               << "tcp://127.0.0.1:" << hung.Port() << "\"}}";
  StoreNumbered(3);
  options_.timing.labelTimeouts = LabelTimeouts{60000, 60000, 60000};
  options_.timing.printIntervalMs = 5;
  Open();
  Tick({0, 2});
  Click("btn_print");
  EXPECT_TRUE(window_->IsPrinting());
  bool handled = false;
  QTimer::singleShot(0, [&] { handled = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return handled; }, 20000)) << "the event loop runs on";
  EXPECT_TRUE(window_->IsPrinting()) << "while the first label still hangs";
  EXPECT_EQ(ProgressText(), "正在打印 1/2");
  EXPECT_TRUE(window_->findChild<QWidget*>("BtnStopPrint")->isVisible());
  QTest::qWait(100);  // many intervals pass while the first label still hangs
  EXPECT_EQ(ProgressText(), "正在打印 1/2") << "no next label while one is in flight";
  Click("BtnStopPrint");
  EXPECT_FALSE(window_->IsPrinting());
  EXPECT_EQ(messages, std::vector<std::string>{"打印完成，共打印了 0 个标签"})
      << "the abandoned label is not counted";

  messages.clear();
  Click("btn_print");
  ASSERT_TRUE(window_->IsPrinting());
  window_->close();  // returns although the printer still hangs
  EXPECT_FALSE(window_->IsPrinting());
  QTest::qWait(50);
  EXPECT_TRUE(messages.empty()) << "no box after the window has closed";
}

#ifndef _WIN32
// A full disk is made with the file size limit of POSIX.
// The disk fills up (a file-size limit stops every append to the database's
// log): ticks, select-all and deletions are refused with a message, and the
// list keeps showing what is stored.
TEST_F(OutputsTest, WritesThatFailLeaveTheListAsStoredAndSaySo) {
  StoreNumbered(3);
  Open();
  ClickCheckBox(0);  // stored while there is room
  messages.clear();
  ASSERT_GT(LogSize(), 0u);
  fileSize_.Set(LogSize());  // the log may not grow

  ClickCheckBox(1);
  window_->findChild<QCheckBox*>("selall")->click();
  Click("btn_delete");
  fileSize_.Lift();

  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0].rfind("未能保存勾选", 0), 0u) << messages[0];
  EXPECT_EQ(messages[1].rfind("未能保存全选：", 0), 0u) << messages[1];
  EXPECT_EQ(messages[2], "删除 1 条记录？");
  EXPECT_EQ(messages[3].rfind("未能删除，记录都还在：", 0), 0u) << messages[3];
  EXPECT_TRUE(window_->Records()[0].selected);
  EXPECT_FALSE(window_->Records()[1].selected) << "the tick that was not stored is not shown";
  EXPECT_FALSE(window_->findChild<QCheckBox*>("selall")->isChecked());
  EXPECT_EQ(window_->Records().Count(), 3u) << "no row goes that is still stored";
}

#endif  // _WIN32

}  // namespace

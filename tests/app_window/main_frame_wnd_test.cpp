#include "app/main_frame_wnd.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <vector>

#include "store/operations_log.h"
#include "tests/app_window/window_fixture.h"
#ifndef _WIN32
#include "tests/support/pty_pair.h"
#endif

namespace {

TEST_F(MainFrameWndTest, FirstStartIsEmptyCentredAndLeavesTheListKeysAndSizeOnClose) {
  MainFrameWnd& w = Open();
  EXPECT_EQ(w.size(), QSize(800, 572));
  const QRect area = w.screen()->availableGeometry();
  EXPECT_LE(std::abs(w.geometry().center().x() - area.center().x()), 1);
  EXPECT_LE(std::abs(w.geometry().center().y() - area.center().y()), 1);
  EXPECT_EQ(w.RecordList()->model()->rowCount(), 0);
  EXPECT_EQ(w.windowTitle(), QStringLiteral("农残检测仪"));
  CloseWindow();
  Json doc = Settings();
  EXPECT_TRUE(doc.FindProperty(u"ids")->IsNull());
  EXPECT_TRUE(doc.FindProperty(u"ways")->IsNull());
  EXPECT_TRUE(doc.FindProperty(u"user_names")->IsNull());
  const Json* main = doc.FindProperty(u"wndpos")->FindProperty(u"main_wnd");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->PropertyInt32(u"right", 0) - main->PropertyInt32(u"left", 0), 800);
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainFrameWndTest, StoredRecordsAreListedInKeyOrderWithTheirColoursAndUploadState) {
  Store({RecordText(u"261206100002", u"02", u"1"), RecordText(u"261206100001", u"01", u"0")});
  {
    RecordDb db(options_.storageFolder);
    ASSERT_TRUE(SetRecordUploaded(db, u"261206100002"));
    ASSERT_TRUE(db.PutText(u"261206100003", u"{\"data\":\"too+few+fields\"}"));
  }
  MainFrameWnd& w = Open();
  QAbstractItemModel* model = w.RecordList()->model();
  ASSERT_EQ(model->rowCount(), 2) << "the entry that is not a record gets no row";
  EXPECT_EQ(model->data(Index(0, 10)).toString(), QStringLiteral("2026-12-06 10:00:01"));
  EXPECT_EQ(model->data(Index(0, 3)).toString(), QStringLiteral("不合格"));
  EXPECT_EQ(model->data(Index(0, 3), Qt::ForegroundRole).value<QColor>(), QColor(0xFF, 0, 0));
  EXPECT_EQ(model->data(Index(1, 3)).toString(), QStringLiteral("合格"));
  EXPECT_EQ(model->data(Index(1, 3), Qt::ForegroundRole).value<QColor>(), QColor(0, 0x99, 0));
  EXPECT_EQ(model->data(Index(1, 1)).toString(), QStringLiteral("已上传"));
  EXPECT_EQ(model->data(Index(0, 1)).toString(), QString());
  EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("名称"));
  EXPECT_EQ(w.RecordList()->horizontalHeader()->count(), 17);
  EXPECT_EQ(w.RecordList()->verticalHeader()->defaultSectionSize(), 28);
}

TEST_F(MainFrameWndTest, TickingARowIsStoredAtOnceAndSurvivesARestart) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1")});
  Open();
  ClickCheckBox(1);
  EXPECT_TRUE(window_->Records()[1].selected);
  EXPECT_FALSE(window_->Records()[0].selected);
  QTest::mouseClick(window_->RecordList()->viewport(), Qt::LeftButton, {},
                    window_->RecordList()->visualRect(Index(0, 5)).center());
  EXPECT_FALSE(window_->Records()[0].selected) << "a click beside the box only highlights";
  CloseWindow();
  Open();
  EXPECT_TRUE(window_->Records()[1].selected);
  EXPECT_EQ(window_->RecordList()->model()->data(Index(1, 0), Qt::CheckStateRole).toInt(),
            Qt::Checked);
  ClickCheckBox(1);
  EXPECT_FALSE(window_->Records()[1].selected);
  Json doc;
  ASSERT_TRUE(window_->Database().GetJson(u"261206100002", doc));
  EXPECT_FALSE(doc.PropertyBool(u"selected", true));
}

TEST_F(MainFrameWndTest, SelectAllTicksAndUnticksEveryRecordInTheDatabase) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1"),
         RecordText(u"261206100003", u"03", u"0")});
  Open();
  auto* selall = window_->findChild<QCheckBox*>("selall");
  selall->click();
  for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(window_->Records()[i].selected);
  ClickCheckBox(0);
  EXPECT_TRUE(selall->isChecked()) << "single boxes do not change select-all";
  selall->click();
  CloseWindow();
  Open();
  for (uint32_t i = 0; i < 3; ++i) EXPECT_FALSE(window_->Records()[i].selected);
  window_->findChild<QCheckBox*>("selall")->click();
  Json doc;
  ASSERT_TRUE(window_->Database().GetJson(u"261206100003", doc));
  EXPECT_TRUE(doc.PropertyBool(u"selected", false));
}

TEST_F(MainFrameWndTest, PageOptionsSwitchPagesAndMaximizeSwapsTheCaptionButtons) {
  MainFrameWnd& w = Open();
  auto* pages = w.findChild<QStackedWidget*>("switch");
  for (auto [name, page] : {std::pair{"setup", 1}, {"scan", 2}, {"info", 3}, {"data", 0}}) {
    w.findChild<QPushButton*>(name)->click();
    EXPECT_EQ(pages->currentIndex(), page) << name;
  }
  auto* maxbtn = w.findChild<QPushButton*>("maxbtn");
  auto* restorebtn = w.findChild<QPushButton*>("restorebtn");
  maxbtn->click();
  EXPECT_TRUE(w.isMaximized());
  EXPECT_TRUE(restorebtn->isVisible());
  EXPECT_FALSE(maxbtn->isVisible());
  restorebtn->click();
  EXPECT_FALSE(w.isMaximized());
  EXPECT_TRUE(maxbtn->isVisible());
  EXPECT_FALSE(restorebtn->isVisible());
}

TEST_F(MainFrameWndTest, SkinWithoutTheRecordListIsRefusedWithItsName) {
  const std::string skin = Path("skin");
  std::filesystem::copy(SKIN_DIR, skin);
  std::string xml;
  ReadWholeFile(skin + "/skin.xml", xml);
  xml.replace(xml.find("name=\"datalist\""), 15, "name=\"dataview\"");
  std::ofstream(skin + "/skin.xml", std::ios::binary) << xml;
  options_.skinFolder = QString::fromStdString(skin);
  QString error;
  {
    MainFrameWnd w(options_);
    EXPECT_FALSE(w.Create(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("datalist"))) << error.toStdString();
  }  // lets go of the database folder
  options_.skinFolder = QString::fromStdString(Path("nowhere"));
  MainFrameWnd none(options_);
  EXPECT_FALSE(none.Create(&error));
  EXPECT_TRUE(error.contains(QStringLiteral("skin.xml"))) << error.toStdString();
}

// A settings file that cannot be read: the window runs on defaults, says so
// once, and never writes the file.
TEST_F(MainFrameWndTest, AnUnreadableSettingsFileIsNamedOnceAndNeverWritten) {
  std::filesystem::create_directories(settingsFile_);  // a folder where the file should be
  Open();
  QTest::qWait(50);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("无法读取设置文件 " + settingsFile_ + "：Is a directory", 0), 0u)
      << messages[0];
  CloseWindow();
  EXPECT_TRUE(std::filesystem::is_directory(settingsFile_));
  EXPECT_EQ(messages.size(), 1u);
}

// A settings file with a typo: named once with where the typo is, the window
// runs on defaults, and the file is not written at close (nothing changed).
TEST_F(MainFrameWndTest, ABrokenSettingsFileIsNamedWithItsLineAndKeptAsItIs) {
  const std::string broken = "{\n  \"com\": \"COM3,\n  \"deviceid\": \"0123456789ABCDEF\"\n}\n";
  std::ofstream(settingsFile_, std::ios::binary) << broken;
  Open();
  QTest::qWait(50);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("设置文件 " + settingsFile_ + " 第 3 行第 4 列有格式错误", 0), 0u)
      << messages[0];
  EXPECT_TRUE(window_->GetSettings().deviceId.IsEmpty()) << "defaults, not half the file";
  CloseWindow();
  std::string after;
  ASSERT_TRUE(ReadWholeFile(settingsFile_, after));
  EXPECT_EQ(after, broken);
  EXPECT_FALSE(std::filesystem::exists(settingsFile_ + ".broken"));
}

// A second copy on the same folder stops before it touches the port; a
// folder with database files that will not open is repaired only on a yes,
// after a copy is kept, and never written over.
TEST_F(MainFrameWndTest, ASecondCopyStopsAndADamagedDatabaseIsRepairedOnlyOnAYes) {
  std::vector<String> texts;
  for (int i = 0; i < 250; ++i) {
    String time;
    time.Format(u"2612061%05d", i);
    texts.push_back(RecordText(time.Handle(), u"01", u"1"));
  }
  Store(texts);
  Open();
  MainFrameWnd second(options_);
  QString error;
  EXPECT_FALSE(second.Create(&error));
  EXPECT_EQ(error.toStdString(), "数据库正被另一个程序使用: " + options_.storageFolder);
  CloseWindow();

  std::filesystem::remove(options_.storageFolder + "/CURRENT");
  confirmAnswer = false;
  messages.clear();
  {
    MainFrameWnd refused(options_);
    EXPECT_FALSE(refused.Create(&error));
    EXPECT_EQ(error.toStdString().rfind("无法打开数据库: " + options_.storageFolder, 0), 0u)
        << error.toStdString();
  }
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("数据库无法打开: " + options_.storageFolder, 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(options_.storageFolder + "/CURRENT"))
      << "no new database over the old files";

  confirmAnswer = true;
  messages.clear();
  MainFrameWnd& w = Open();
  EXPECT_EQ(w.Records().Count(), 250u) << "every record found again";
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].rfind("修复数据库完成，找回 250 条记录。修复前的文件夹保存在 " +
                                  options_.storageFolder + ".backup-",
                              0),
            0u)
      << messages[1];
  bool backupKept = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    backupKept = backupKept || entry.path().filename().string().rfind("storage.backup-", 0) == 0;
  }
  EXPECT_TRUE(backupKept);
  const std::vector<LogLine> logged =
      ReadOperationsLog(OperationsLog::PathFor(options_.storageFolder));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].operation, "修复");
  EXPECT_EQ(logged[0].details.rfind("修复数据库，找回 250 条记录", 0), 0u) << logged[0].details;
}

#ifndef _WIN32
// Pseudo-terminals and the detector simulator are POSIX only; the Windows
// serial port has its own tests against a COM port mapped onto a terminal.
// A detector plugged in after the start: while the chosen port is missing,
// each tick looks again, the port list follows, and the port opens.
TEST_F(MainFrameWndTest, ADetectorPluggedInLaterIsFoundAndOpened) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  std::atomic<bool> plugged{false};
  const String path = String::FromBytes(pty.Path(), cp::kUtf8);
  options_.scanPorts = [&](ObjectList<SSerInfo>& ports) {
    if (plugged) AppendExtraPorts(ports, {path});
  };
  std::ofstream(settingsFile_) << "{\"com\": \"" << String(u"虚拟串口 (").ToBytes(cp::kGbk)
                               << pty.Path() << ")\"}";
  MainFrameWnd& w = Open();
  auto* tip = w.findChild<QLabel*>("TextTipCom");
  auto* combo = w.findChild<QComboBox*>("ComboCom");
  ASSERT_TRUE(QTest::qWaitFor([&] { return FullText(tip).startsWith("此串口未找到"); }, 20000));
  EXPECT_EQ(combo->count(), 0);
  plugged = true;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return FullText(tip) ==
               "串口打开成功: 虚拟串口 (" + QString::fromStdString(pty.Path()) + ")";
      },
      20000))
      << FullText(tip).toStdString();
  ASSERT_EQ(combo->count(), 1);
  EXPECT_EQ(combo->itemText(0).toStdString(), "虚拟串口 (" + pty.Path() + ")");
  EXPECT_TRUE(messages.empty()) << "the list follows without notifications";
}

TEST_F(MainFrameWndTest, DetectorFramesReachTheRunningWindowAndCloseEndsTheReceiveThread) {
  const std::string link = Path("detector");
  const std::string command = std::string(DETECTOR_SIM) + " --link " + link +
                              " --frames 5 --same-second 2 --baud 115200 --interval-ms 0"
                              " --wait-for-reader-ms 60000 --start-delay-ms 1500 --linger-ms 2000"
                              " --start-time 261206080000";
  FILE* sim = popen(command.c_str(), "r");
  ASSERT_NE(sim, nullptr);
  char line[256];
  ASSERT_NE(fgets(line, sizeof line, sim), nullptr);
  std::ofstream(settingsFile_) << "{\"extra_ports\": [\"" << link << "\"], \"com\": \""
                               << String(u"虚拟串口 (").ToBytes(cp::kGbk) << link << ")\"}";
  MainFrameWnd& w = Open();
  auto* tip = w.findChild<QLabel*>("TextTipCom");
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return FullText(tip).startsWith(QStringLiteral("串口打开成功: ")); }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Records().Count() == 5; }, 20000))
      << w.Records().Count() << " rows";
  EXPECT_TRUE(w.Records()[1].Key() == u"261206080000+02");
  EXPECT_EQ(w.RecordList()->model()->rowCount(), 5);
  CloseWindow();  // the receive thread is stopped and awaited here
  pclose(sim);
  Json doc = Settings();
  EXPECT_NE(doc.FindProperty(u"wndpos"), nullptr);
  RecordDb db(options_.storageFolder);
  EXPECT_EQ(db.ForEach([](String&, Json&) { return false; }), 5u);
}

#endif  // _WIN32

// The detector sends a test again (its resend), and a capture is replayed
// twice: one test is one row and one record, and deleting it leaves nothing
// another row would show.
TEST_F(MainFrameWndTest, AResentTestIsNeitherListedNorCountedTwice) {
  std::filesystem::copy_file(std::string(RESIDUE_SOURCE_DIR) + "/data.txt", Path("data.txt"));
  MainFrameWnd& w = Open();
  auto* replay = w.findChild<QPushButton*>("debug");
  auto* tip = w.findChild<QLabel*>("TextTipCom");
  replay->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Records().Count() == 4; }, 5000));
  // The capture's frame broken by line noise is said once the burst is over.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return FullText(tip) == QStringLiteral("已丢弃 1 个不完整的数据帧"); }, 5000))
      << FullText(tip).toStdString();
  replay->click();
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return FullText(tip) == QStringLiteral("重复数据已忽略"); }, 5000))
      << FullText(tip).toStdString();
  QTest::qWait(50);
  EXPECT_EQ(w.Records().Count(), 4u);
  EXPECT_EQ(w.RecordList()->model()->rowCount(), 4);
  RecordDb& db = w.Database();
  EXPECT_EQ(db.ForEach([](String&, Json&) { return false; }), 4u);

  ClickCheckBox(0);
  w.DeleteSelectedRecords();
  EXPECT_EQ(w.Records().Count(), 3u);
  messages.clear();
  for (int row = 0; row < 3; ++row) ClickCheckBox(row);
  EXPECT_TRUE(messages.empty()) << messages[0];
  EXPECT_EQ(db.ForEach([](String&, Json& doc) {
    EXPECT_TRUE(doc.PropertyBool(u"selected", false));
    return false;
  }),
            3u);
}

}  // namespace

// The window fits the screen it opens on: a size saved on a bigger screen
// shrinks, none of it lies off the screen, a long status text never widens
// it (cut, whole in the tooltip), and a double click on the caption
// maximises and restores.
TEST_F(MainFrameWndTest, TheWindowFitsItsScreenAndTheCaptionDoubleClickMaximises) {
  std::ofstream(settingsFile_) << R"({"wndpos": {"main_wnd": {"left": -3000, "top": -2000,
      "right": 1000, "bottom": 1000}}})";
  MainFrameWnd& w = Open();
  const QRect area = w.screen()->availableGeometry();
  EXPECT_TRUE(area.contains(w.geometry())) << w.geometry().width() << "x" << w.geometry().height();
  const int width = w.width();
  const QString port =
      QStringLiteral("/dev/serial/by-id/usb-Detector_Serial_Port_0123456789-if00-port0");
  w.ShowPortStatus(
      FromQString(port + QStringLiteral(": 串口设备不存在，请检查检测仪的数据线是否插好")), false);
  QCoreApplication::processEvents();
  w.ShowPortStatus(FromQString(port.repeated(4)), false);
  QCoreApplication::processEvents();
  auto* tip = w.findChild<QLabel*>("TextTipCom");
  EXPECT_EQ(w.width(), width) << "the status text widened the window";
  EXPECT_TRUE(FullText(tip).startsWith(port));
  EXPECT_TRUE(tip->text().endsWith(QChar(0x2026))) << tip->text().toStdString();
  EXPECT_GT(tip->width(), 200);
  EXPECT_EQ(tip->toolTip(), FullText(tip));

  QWidget* caption = w.findChild<QWidget*>("caption");
  ASSERT_NE(caption, nullptr);
  const QPoint empty(caption->width() / 2, caption->height() / 2);
  QTest::mouseDClick(caption, Qt::LeftButton, {}, empty);
  EXPECT_TRUE(w.isMaximized());
  QTest::mouseDClick(caption, Qt::LeftButton, {}, empty);
  EXPECT_FALSE(w.isMaximized());
}

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>

#include "device/record_hash.h"
#include "output/label_printer.h"
#include "output/printer_queues.h"
#include "tests/app_window/window_fixture.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#ifndef _WIN32
#include "tests/support/pty_pair.h"
#endif

namespace {

class SettingsPageTest : public MainFrameWndTest {
 protected:
  template <class T>
  T* Control(const char* name) {
    return window_->findChild<T*>(name);
  }
  // The operator replaces the text of an edit box by typing.
  void Type(QLineEdit* edit, const char* text) {
    edit->clear();
    QTest::keyClicks(edit, text);
  }
  // The operator picks item `index` of the combo.
  void Pick(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  std::vector<std::u16string> FileList(const char16_t* key) {
    std::vector<std::u16string> out;
    const Json doc = Settings();
    const Json* list = doc.FindProperty(key);
    for (uint32_t i = 0; list && i < list->Count(); ++i) {
      String s;
      list->GetArrayStr(s, i);
      out.push_back(s.ToStd());
    }
    return out;
  }
  QComboBox* ChannelCombo(int i) {
    return Control<QWidget>("ProductConfig")->findChildren<QComboBox*>()[i];
  }
  QLineEdit* ChannelEdit(int i) {
    return Control<QWidget>("ProductConfig")->findChildren<QLineEdit*>()[i];
  }
};

TEST_F(SettingsPageTest, DeviceIdIsCutAtSixteenCheckedAndSavedOnTop) {
  Open();
  auto* edit = Control<QLineEdit>("EditDeviceId");
  auto* tip = Control<QLabel>("TextTipId");
  auto* save = Control<QPushButton>("BtnSaveDevice");
  QTest::keyClicks(edit, "0123456789abcdefX");
  EXPECT_EQ(edit->text(), QStringLiteral("0123456789abcdef"));
  EXPECT_EQ(edit->cursorPosition(), 16);
  EXPECT_EQ(tip->text(), QStringLiteral("ID长度不能超过16个字符"));
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_TRUE(tip->text().isEmpty());
  EXPECT_TRUE(save->isEnabled());
  QTest::keyClicks(edit, "f");
  save->click();
  EXPECT_TRUE(messages.empty()) << "lower-case hexadecimal is accepted";
  EXPECT_FALSE(save->isEnabled());
  // ... and kept in upper case, the form the server makes trace codes from.
  auto* ids = Control<QComboBox>("ComboDeviceId");
  EXPECT_EQ(ids->currentText(), QStringLiteral("0123456789ABCDEF"));
  EXPECT_EQ(edit->text(), QStringLiteral("0123456789ABCDEF"));
  EXPECT_EQ(FileList(u"ids"), (std::vector<std::u16string>{u"0123456789ABCDEF"}));
  EXPECT_EQ(std::u16string(Settings().PropertyStr(u"deviceid", u"")), u"0123456789ABCDEF");

  Type(edit, "0123456789ABCDEG");
  save->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "设备ID字符必须是 0-9 或 A-F");
  Type(edit, "0123");
  save->click();
  EXPECT_EQ(messages.back(), "设备ID长度必须是16个字符");
  EXPECT_TRUE(window_->GetSettings().deviceId == u"0123456789ABCDEF")
      << "refused IDs change nothing";

  Type(edit, "FEDCBA9876543210");
  save->click();
  EXPECT_EQ(ids->itemText(0), QStringLiteral("FEDCBA9876543210"));
  EXPECT_EQ(ids->currentIndex(), 0);
  EXPECT_EQ(FileList(u"ids"),
            (std::vector<std::u16string>{u"FEDCBA9876543210", u"0123456789ABCDEF"}));
}

// Labels already on samples must keep finding their record: a new device ID
// changes the trace codes of new records only, also after a restart.
TEST_F(SettingsPageTest, ChangingTheDeviceIdKeepsEveryEarlierTraceCode) {
  std::ofstream(settingsFile_) << R"({"deviceid": "AAAAAAAAAAAAAAAA"})";
  // Records as an older version stored them: without a device ID of their own.
  Store({RecordText(u"261206100000", u"01", u"1"), RecordText(u"261206100001", u"02", u"0")});
  Open();
  std::vector<std::string> before;
  for (uint32_t i = 0; i < 2; ++i) before.push_back(window_->Records()[i].Uid().ToBytes(cp::kUtf8));
  Type(Control<QLineEdit>("EditDeviceId"), "bbbbbbbbbbbbbbbb");
  Control<QPushButton>("BtnSaveDevice")->click();
  ASSERT_TRUE(messages.empty()) << messages[0];
  EXPECT_TRUE(window_->GetSettings().deviceId == u"BBBBBBBBBBBBBBBB");
  // A record that arrives now is captured under the new ID.
  window_->HandOverRecord(u"261206100002", RecordText(u"261206100002", u"03", u"1"), false, false,
                          u"BBBBBBBBBBBBBBBB");
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Records().Count() == 3; }, 5000));
  const std::string fresh = window_->Records()[2].Uid().ToBytes(cp::kUtf8);
  CloseWindow();

  Open();
  ASSERT_EQ(window_->Records().Count(), 3u);
  for (uint32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(window_->Records()[i].Uid().ToBytes(cp::kUtf8), before[i]) << i;
    EXPECT_TRUE(window_->Records()[i].DeviceId() == u"AAAAAAAAAAAAAAAA");
  }
  EXPECT_TRUE(window_->Records()[2].DeviceId() == u"BBBBBBBBBBBBBBBB");
  EXPECT_EQ(window_->Records()[2].Uid().ToBytes(cp::kUtf8), fresh);
  EXPECT_NE(fresh, ComputeRecordHash(RecordText(u"261206100002", u"03", u"1"), u"AAAAAAAAAAAAAAAA")
                       .ToBytes(cp::kUtf8));
  // A tick written from memory keeps the stored ID.
  ClickCheckBox(0);
  CloseWindow();
  Open();
  EXPECT_TRUE(window_->Records()[0].selected);
  EXPECT_EQ(window_->Records()[0].Uid().ToBytes(cp::kUtf8), before[0]);
}

TEST_F(SettingsPageTest, AnInvalidDeviceIdInTheFileIsNamedOnceAndNotUsed) {
  std::ofstream(settingsFile_) << R"({"deviceid": "ZZZ"})";
  Open();
  ASSERT_TRUE(QTest::qWaitFor([] { return !messages.empty(); }, 5000));
  EXPECT_NE(messages[0].find("设置文件中的设备ID“ZZZ”无效"), std::string::npos) << messages[0];
  EXPECT_TRUE(window_->GetSettings().deviceId.IsEmpty());
}

TEST_F(SettingsPageTest, SavingAKnownIdAgainStillSavesItAsTheIdInUse) {
  std::ofstream(settingsFile_) << R"({"ids": ["AAAAAAAAAAAAAAAA", "BBBBBBBBBBBBBBBB"],
                                      "deviceid": "AAAAAAAAAAAAAAAA"})";
  Open();
  Type(Control<QLineEdit>("EditDeviceId"), "BBBBBBBBBBBBBBBB");
  Control<QPushButton>("BtnSaveDevice")->click();
  EXPECT_EQ(std::u16string(Settings().PropertyStr(u"deviceid", u"")), u"BBBBBBBBBBBBBBBB");
  EXPECT_EQ(Control<QComboBox>("ComboDeviceId")->currentText(), QStringLiteral("BBBBBBBBBBBBBBBB"));
  EXPECT_EQ(FileList(u"ids").size(), 2u);
}

TEST_F(SettingsPageTest, DeletingTheOnlyIdEmptiesTheIdInUse) {
  std::ofstream(settingsFile_)
      << R"({"ids": ["AAAAAAAAAAAAAAAA"], "deviceid": "AAAAAAAAAAAAAAAA"})";
  Open();
  Control<QPushButton>("setup")->click();
  auto* ids = Control<QComboBox>("ComboDeviceId");
  EXPECT_EQ(ids->currentIndex(), 0) << "ShowSettings selects the ID in use";
  EXPECT_EQ(Control<QLineEdit>("EditDeviceId")->text(), QStringLiteral("AAAAAAAAAAAAAAAA"));
  Control<QPushButton>("BtnDeleteDevice")->click();
  EXPECT_EQ(ids->count(), 0);
  EXPECT_TRUE(Control<QLineEdit>("EditDeviceId")->text().isEmpty());
  EXPECT_TRUE(window_->GetSettings().deviceId == u"");
  EXPECT_TRUE(FileList(u"ids").empty());
  Control<QPushButton>("BtnDeleteDevice")->click();  // nothing selected: nothing happens
}

TEST_F(SettingsPageTest, ChannelTableSavesNamesAndChoicesAndPicksOneRowOnly) {
  Open();
  Control<QPushButton>("BtnSaveProductConfig")->click();
  EXPECT_EQ(FileList(u"user_names"), std::vector<std::u16string>(20, u""));
  EXPECT_EQ(FileList(u"ways"), std::vector<std::u16string>{u""});
  EXPECT_EQ(ChannelCombo(0)->count(), 0);

  ChannelEdit(0)->setText(QStringLiteral("黄瓜"));
  ChannelEdit(1)->setText(QStringLiteral("毛豆"));
  Control<QPushButton>("BtnSaveProductConfig")->click();
  EXPECT_EQ(FileList(u"ways"), (std::vector<std::u16string>{u"", u"黄瓜", u"毛豆"}));
  ASSERT_EQ(ChannelCombo(6)->count(), 2);
  Pick(ChannelCombo(6), 1);
  EXPECT_EQ(ChannelEdit(6)->text(), QStringLiteral("毛豆"));
  std::vector<std::u16string> names = FileList(u"user_names");
  EXPECT_EQ(names[6], u"毛豆");
  EXPECT_EQ(names[5], u"");
  EXPECT_EQ(names[0], u"黄瓜");
}

#ifndef _WIN32
// Pseudo-terminals are POSIX only.
TEST_F(SettingsPageTest, PortOrBaudChoiceClosesThePortAndTheTimerReopensIt) {
  PtyPair pty;
  const std::string name = String(u"虚拟串口 (").ToBytes(cp::kGbk) + pty.Path() + ")";
  std::ofstream(settingsFile_) << "{\"extra_ports\": [\"" << pty.Path() << "\"], \"com\": \""
                               << name << "\", \"ways\": [\"" << String(u"黄瓜").ToBytes(cp::kGbk)
                               << "\"]}";
  MainFrameWnd& w = Open();
  auto* tip = Control<QLabel>("TextTipCom");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return FullText(tip).startsWith(QStringLiteral("串口打开成功: ")); }, 20000));
  auto* bits = Control<QComboBox>("ComboBits");
  Pick(bits, bits->findText("115200"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return FullText(tip) == QStringLiteral("串口关闭"); }, 20000));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return FullText(tip).startsWith(QStringLiteral("串口打开成功: ")); }, 20000));
  EXPECT_EQ(std::u16string(Settings().PropertyStr(u"bits", u"")), u"115200");

  Pick(ChannelCombo(3), 0);  // channel 4 becomes 黄瓜
  FrameFields f;
  f.channel = u"04";
  ASSERT_TRUE(pty.Write(BuildFrame(f)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Records().Count() == 1; }, 20000));
  EXPECT_TRUE(w.Records()[0].Columns().cell[1] == u"黄瓜")
      << "the picked name reaches the next frame";
}

TEST_F(SettingsPageTest, EachSettingsComboSavesItsKeyWhenTheOperatorPicks) {
  PtyPair pty;
  std::ofstream(settingsFile_) << "{\"extra_ports\": [\"" << pty.Path()
                               << "\"], \"ids\": [\"AAAAAAAAAAAAAAAA\", \"BBBBBBBBBBBBBBBB\"]}";
  Open();
  auto* com = Control<QComboBox>("ComboCom");
  Pick(com, com->findText(QString::fromStdString("虚拟串口 (" + pty.Path() + ")")));
  Pick(Control<QComboBox>("ComboDeviceId"), 1);
  Pick(Control<QComboBox>("ComboServType"), 1);
  const Json doc = Settings();
  EXPECT_EQ(String(doc.PropertyStr(u"com", u"")).ToBytes(cp::kUtf8),
            "虚拟串口 (" + pty.Path() + ")");
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"deviceid", u"")), u"BBBBBBBBBBBBBBBB");
  EXPECT_EQ(Control<QLineEdit>("EditDeviceId")->text(), QStringLiteral("BBBBBBBBBBBBBBBB"));
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"serv_type", u"")), u"HTTP服务器");
  EXPECT_TRUE(window_->GetSettings().serverType == u"HTTP服务器");
}

#endif  // _WIN32

TEST_F(SettingsPageTest, CaptionButtonsMinimizeAndCloseThroughTheCloseSequence) {
  MainFrameWnd& w = Open();
  Control<QPushButton>("minbtn")->click();
  EXPECT_TRUE(w.isMinimized());
  w.showNormal();
  Control<QPushButton>("closebtn")->click();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 20000));
  const Json doc = Settings();
  EXPECT_NE(doc.FindProperty(u"wndpos"), nullptr) << "the close sequence saved the window's size";
}

}  // namespace

namespace {

// The typed settings: a wrong value is named beside its field and not saved;
// a right one is saved at once and is what the program uses from then on.
TEST_F(SettingsPageTest, TypedSettingsAreCheckedSavedAtOnceAndUsedWithoutARestart) {
  std::ofstream(settingsFile_) << R"({"serv_host": "old.example", "custom": 1})";
  Open();
  Control<QPushButton>("setup")->click();
  auto* preview = Control<QLabel>("LabelPreview");
  const int tallBefore = preview->pixmap().height();
  EXPECT_GT(tallBefore, 0) << "a picture of the sample label";
  const std::string hint = PrinterDestinationHint().ToBytes(cp::kUtf8);
  struct Case {
    const char* field;
    const char* typed;
    const char* problem;  // "" when saved
  } cases[] = {
      {"EditServPort", "70000", "端口号必须是 1-65535 之间的数字"},
      {"EditServPort", "9100", ""},
      {"EditServHost", "bad host", "地址里有不能用的字符（只能用字母、数字、- 和 .）"},
      {"EditServHost", "inspect.example.cn", ""},
      {"EditHttpUrl", "inspect.example.cn/up", "网址要以 http:// 或 https:// 开头"},
      {"EditHttpUrl", "https://inspect.example.cn/up", ""},
      {"EditUnitName", "县农检站", ""},
      {"EditNoticeTitle", " ", "不能为空"},
      {"EditPrinter", "printer.example", hint.c_str()},  // the system's own ways
      {"EditPrinter", "tcp://192.168.1.50:9100", ""},
      {"EditLabelWidth", "10", "标签尺寸必须是 20-120 毫米"},
      {"EditLabelWidth", "60", ""},
      {"EditLabelTitle", "县农检站溯源", ""},
  };
  for (const Case& c : cases) {
    auto* edit = Control<QLineEdit>(c.field);
    edit->setText(QString::fromUtf8(c.typed));
    emit edit->textEdited(edit->text());  // as typing it does
    auto* problem = Control<QLabel>((std::string(c.field) + "Problem").c_str());
    EXPECT_EQ(problem->isVisible(), *c.problem != 0) << c.field << " " << c.typed;
    if (*c.problem) {
      EXPECT_EQ(problem->text().toStdString(), c.problem);
    }
  }
  const ::Settings& s = window_->GetSettings();
  EXPECT_EQ(s.serverPort, 9100);
  EXPECT_TRUE(s.serverHost == u"inspect.example.cn");
  EXPECT_TRUE(s.httpUrl == u"https://inspect.example.cn/up");
  EXPECT_TRUE(s.unitName == u"县农检站");
  EXPECT_TRUE(s.queryUrl == u"http://inspect.example.cn/trace?uid=")
      << "the trace address the file does not name follows the server";
  EXPECT_FALSE(s.noticeTitle.IsEmpty()) << "a wrong title is not taken";
  Json doc = Settings();
  EXPECT_EQ(doc.PropertyInt32(u"serv_port", 0), 9100);
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"serv_host", u"")), u"inspect.example.cn");
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"dwmc", u"")), u"县农检站");
  EXPECT_EQ(doc.FindProperty(u"notice_title"), nullptr);
  EXPECT_EQ(doc.FindProperty(u"query_url"), nullptr) << "still derived from the server";
  EXPECT_EQ(doc.PropertyInt32(u"custom", 0), 1);
  const Json* printer = doc.FindProperty(u"printer");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(std::u16string(printer->PropertyStr(u"device", u"")), u"tcp://192.168.1.50:9100");
  EXPECT_EQ(printer->PropertyInt32(u"width", 0), 60);
  EXPECT_TRUE(LabelLayout::FromSettings().device == u"tcp://192.168.1.50:9100")
      << "the next label goes there";
  EXPECT_GT(preview->pixmap().height(), tallBefore) << "a narrower label, drawn anew";
  EXPECT_TRUE(messages.empty());
}

}  // namespace

namespace {

// "测试连接" tries the server as configured, on a worker, and says how it went.
TEST_F(SettingsPageTest, TestConnectionNamesTheOutcomeWithoutHoldingTheWindow) {
  LoopbackServer server;
  server.Start([](int) {});
  const int listening = server.Port();
  std::ofstream(settingsFile_) << R"({"serv_host": "127.0.0.1", "serv_port": )" << listening << "}";
  Open();
  Control<QPushButton>("setup")->click();
  auto* check = Control<QPushButton>("BtnCheckServer");
  check->click();
  EXPECT_FALSE(check->isEnabled()) << "one check at a time";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IsCheckingServer(); }, 10000));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "连接服务器 127.0.0.1:" + std::to_string(listening) + " 成功");
  EXPECT_TRUE(check->isEnabled());
  // A port nobody listens on, typed in: the check uses it at once.
  const int closed = peers::ClosedPort();
  auto* port = Control<QLineEdit>("EditServPort");
  port->setText(QString::number(closed));
  emit port->textEdited(port->text());
  check->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IsCheckingServer(); }, 10000));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[1].rfind("服务器 127.0.0.1:" + std::to_string(closed) + " 拒绝连接", 0), 0u)
      << messages[1];
}

}  // namespace

namespace {

// "打印测试标签": today's sample through the printer the settings name now;
// a printer that is not there is named with its reason.
TEST_F(SettingsPageTest, TestLabelGoesToTheChosenPrinterOrSaysWhyNot) {
  std::ofstream(settingsFile_) << R"({"printer": {"device": "dir:)" << Path("labels") << R"("}})";
  Open();
  Control<QPushButton>("setup")->click();
  EXPECT_EQ(Control<QLineEdit>("EditPrinter")->text().toStdString(), "dir:" + Path("labels"));
  EXPECT_EQ(Control<QLineEdit>("EditLabelWidth")->text().toStdString(), "75") << "the default";
  Control<QPushButton>("BtnTestLabel")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IsCheckingServer(); }, 10000));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("测试标签已送到打印机 dir:", 0), 0u) << messages[0];
  std::string tspl;
  ASSERT_TRUE(ReadWholeFile(Path("labels/label-0001.tspl"), tspl));
  EXPECT_NE(String::FromBytes(tspl, cp::kGbk).ToBytes(cp::kUtf8).find("测试样品"),
            std::string::npos);
  EXPECT_NE(tspl.find("PRINT 1"), std::string::npos);

  // The printer changed in the file meanwhile: the next test label takes it.
  std::ofstream(settingsFile_) << R"({"printer": {"device": ")" << Path("no/such/lp0") << R"("}})";
  Control<QPushButton>("BtnTestLabel")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IsCheckingServer(); }, 10000));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(
      messages[1].rfind("测试标签没有送到打印机 " + Path("no/such/lp0") + "：找不到打印机设备", 0),
      0u)
      << messages[1];
}

}  // namespace

namespace {

#ifndef _WIN32
// The print service's queues come from lpstat on POSIX; the Windows spooler's
// list has its own test.
// The positions of the label's lines and codes are checked against the label's
// size and used by the next label; a queue picked from those the print service
// lists becomes the printer.
TEST_F(SettingsPageTest, LabelLayoutAndAnInstalledQueueAreUsedByTheNextLabel) {
  std::filesystem::create_directories(Path("bin"));
  std::ofstream(Path("bin/lpstat")) << "#!/bin/sh\necho Label_Queue\necho Office\n";
  ::chmod(Path("bin/lpstat").c_str(), 0755);
  const std::string oldPath = std::getenv("PATH");
  setenv("PATH", (Path("bin") + ":" + oldPath).c_str(), 1);
  std::ofstream(settingsFile_) << R"({"printer": {"device": "dir:)" << Path("labels")
                               << R"(", "qr_w": 6}})";
  Open();
  Control<QPushButton>("setup")->click();
  auto* queues = Control<QComboBox>("ComboPrinterQueue");
  ASSERT_TRUE(QTest::qWaitFor([&] { return queues->count() == 3; }, 10000));
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_EQ(queues->itemText(1), QStringLiteral("Label_Queue"));
  EXPECT_EQ(Control<QLineEdit>("EditQrX")->text(), QStringLiteral("300")) << "the default shown";
  struct Case {
    const char* field;
    const char* typed;
    const char* problem;  // "" when saved
  } cases[] = {
      {"EditQrX", "600", "位置必须是 0-599 点（标签 75 毫米，每毫米 8 点）"},
      {"EditQrX", "120", ""},
      {"EditTitleY", "440", "位置必须是 0-439 点（标签 55 毫米，每毫米 8 点）"},
      {"EditTitleY", "20", ""},
      {"EditQrModule", "0", "二维码的点大小必须是 1-20"},
      {"EditQrModule", "4", ""},
  };
  for (const Case& c : cases) {
    auto* edit = Control<QLineEdit>(c.field);
    edit->setText(QString::fromUtf8(c.typed));
    emit edit->textEdited(edit->text());
    auto* problem = Control<QLabel>((std::string(c.field) + "Problem").c_str());
    EXPECT_EQ(problem->isVisible(), *c.problem != 0) << c.field << " " << c.typed;
    if (*c.problem) {
      EXPECT_EQ(problem->text().toStdString(), c.problem);
    }
  }
  const Json doc = Settings();
  const Json* printer = doc.FindProperty(u"printer");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->PropertyInt32(u"qr_x", 0), 120) << "kept as a number";
  EXPECT_EQ(printer->PropertyInt32(u"line_y1", 0), 20);
  EXPECT_EQ(printer->PropertyInt32(u"qr_w", 0), 4);
  Control<QPushButton>("BtnTestLabel")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->IsCheckingServer(); }, 10000));
  std::string tspl;
  ASSERT_TRUE(ReadWholeFile(Path("labels/label-0001.tspl"), tspl));
  EXPECT_NE(tspl.find("TEXT 10,20,"), std::string::npos) << tspl.substr(0, 300);
  EXPECT_NE(tspl.find("BOX 120,"), std::string::npos) << "the QR code moved";

  Pick(queues, 1);
  EXPECT_EQ(Control<QLineEdit>("EditPrinter")->text(), QStringLiteral("cups:Label_Queue"));
  EXPECT_TRUE(LabelLayout::FromSettings().device == u"cups:Label_Queue");
}

#endif  // _WIN32

}  // namespace

namespace {

// The first start offers a guide: what is filled in is checked and used at
// once, what is left empty stays as it was; no detector-like port: none chosen.
TEST_F(SettingsPageTest, TheFirstStartGuideChecksAndKeepsWhatIsFilledIn) {
  options_.firstStartGuide = true;
  options_.scanPorts = [](ObjectList<SSerInfo>& ports) {
    SSerInfo* legacy = ports.Add();
    legacy->path = u"/dev/ttyS0";
    legacy->friendlyName = u"Serial (ttyS0)";
  };
  ASSERT_FALSE(std::filesystem::exists(settingsFile_));
  Open();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return window_->findChild<QDialog*>(QStringLiteral("FirstStartGuide")) != nullptr; },
      5000));
  auto* guide = window_->findChild<QDialog*>(QStringLiteral("FirstStartGuide"));
  auto* port = guide->findChild<QComboBox*>(QStringLiteral("GuidePort"));
  EXPECT_EQ(port->count(), 1) << "an on-board port is not offered";
  EXPECT_TRUE(port->currentData().toString().isEmpty());
  guide->findChild<QLineEdit*>(QStringLiteral("GuideUnitName"))->setText("县农检站");
  auto* id = guide->findChild<QLineEdit*>(QStringLiteral("GuideDeviceId"));
  id->setText("12345");
  guide->findChild<QPushButton*>(QStringLiteral("GuideSave"))->click();
  auto* problem = guide->findChild<QLabel*>(QStringLiteral("GuideProblem"));
  EXPECT_TRUE(problem->isVisible());
  EXPECT_EQ(problem->text().left(5).toStdString(), "设备ID：");
  EXPECT_TRUE(window_->GetSettings().unitName.IsEmpty()) << "nothing kept while one is wrong";
  id->setText("0123456789abcdef");
  guide->findChild<QPushButton*>(QStringLiteral("GuideSave"))->click();
  EXPECT_FALSE(guide->isVisible());
  EXPECT_TRUE(window_->GetSettings().deviceId == u"0123456789ABCDEF");
  Json doc = Settings();
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"dwmc", u"")), u"县农检站");
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"deviceid", u"")), u"0123456789ABCDEF");
  EXPECT_EQ(std::u16string(doc.PropertyStr(u"com", u"")), u"") << "no port chosen by itself";
  EXPECT_EQ(doc.FindProperty(u"serv_host"), nullptr) << "left empty: not written";
}

}  // namespace

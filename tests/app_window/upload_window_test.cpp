#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "store/outbox.h"
#include "tests/app_window/window_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "ui/elided_label.h"
#include "ui/url_opener.h"

namespace {

std::vector<std::string> opened;
bool browserThere = true;  // whether the desktop has a browser
bool CatchUrl(const QString& address) {
  opened.push_back(address.toStdString());
  return browserThere;
}

class UploadWindowTest : public MainFrameWndTest {
 protected:
  // Starts the reference server on free ports; returns its TCP port.
  int StartServer(std::vector<std::string> options = {}) {
    std::vector<std::string> args = {INSPECTION_SERVER, "--tcp-port", "0", "--http-port", "0"};
    args.insert(args.end(), options.begin(), options.end());
    server_ = std::make_unique<ChildProcess>(args);
    int tcp = 0;
    std::sscanf(server_->ReadLine().c_str(), "TCP %d", &tcp);
    std::sscanf(server_->ReadLine().c_str(), "HTTP %d", &httpPort_);
    return tcp;
  }
  void TearDown() override {
    fileSize_.Lift();  // before the window closes and writes
    MainFrameWndTest::TearDown();
    server_.reset();  // stops this test's server, and only it
  }
  FileSizeLimit fileSize_;
  std::unique_ptr<ChildProcess> server_;
  int httpPort_ = 0;
};

#ifndef _WIN32
// The detector simulator talks through a pseudo-terminal: POSIX only.
TEST_F(UploadWindowTest, DetectorRecordsUploadedOverTcpShowAndStayUploaded) {
  const int tcp = StartServer();
  ASSERT_GT(tcp, 0);
  const std::string link = Path("detector");
  const std::string sim = std::string(DETECTOR_SIM) + " --link " + link +
                          " --frames 3 --baud 115200 --interval-ms 0 --start-delay-ms 2500"
                          " --linger-ms 1500 --start-time 261206090000";
  FILE* detector = popen(sim.c_str(), "r");
  char line[256];
  ASSERT_NE(fgets(line, sizeof line, detector), nullptr);
  std::ofstream(settingsFile_) << "{\"extra_ports\": [\"" << link << "\"], \"com\": \""
                               << String(u"虚拟串口 (").ToBytes(cp::kGbk) << link
                               << ")\", \"deviceid\": \"0123456789ABCDEF\", \"serv_port\": " << tcp
                               << "}";
  MainFrameWnd& w = Open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Records().Count() == 3; }, 20000));
  pclose(detector);
  ClickCheckBox(0);
  ClickCheckBox(2);
  w.findChild<QPushButton*>("btn_upload")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 20000));
  EXPECT_EQ(messages.back(), "已成功上传 2 条数据!");
  EXPECT_TRUE(w.Records()[0].Columns().cell[0] == u"已上传");
  EXPECT_TRUE(w.Records()[1].Columns().cell[0] == u"");
  EXPECT_TRUE(w.Records()[2].Columns().cell[0] == u"已上传");
  CloseWindow();
  Open();
  EXPECT_TRUE(window_->Records()[2].Columns().cell[0] == u"已上传")
      << "still shown after a restart";
  EXPECT_TRUE(window_->Records()[2].uploaded);
  EXPECT_FALSE(window_->Records()[1].uploaded);
}

#endif  // _WIN32

TEST_F(UploadWindowTest, GuardsComeInOrderAndHttpRepliesAreShown) {
  const int tcp = StartServer(std::vector<std::string>{"--reply", "OK"});
  Store({RecordText(u"261206100001", u"01", u"1")});
  struct Case {
    const char* settings;
    const char* message;
  } cases[] = {
      {R"({})", "请先设置设备ID"},
      // An ID in the file that is none is not used (and said so once the window is up).
      {R"({"deviceid": "0123456789ABCDE"})", "请先设置设备ID"},
      {R"({"deviceid": "0123456789ABCDEF", "serv_type": "FTP"})", "错误的服务器类型"},
  };
  for (const Case& c : cases) {
    std::ofstream(settingsFile_) << c.settings;
    Open();
    messages.clear();
    window_->findChild<QPushButton*>("btn_upload")->click();
    ASSERT_EQ(messages.size(), 1u) << c.settings;
    EXPECT_EQ(messages[0], c.message);
    window_.reset();
  }
  std::ofstream(settingsFile_) << "{\"deviceid\": \"0123456789ABCDEF\", \"serv_type\": \""
                               << String(u"HTTP服务器").ToBytes(cp::kGbk)
                               << "\", \"http_url\": \"http://127.0.0.1:" << httpPort_ << "/up\"}";
  (void)tcp;
  Open();
  messages.clear();
  ClickCheckBox(0);
  window_->findChild<QPushButton*>("btn_upload")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 20000));
  EXPECT_EQ(messages, std::vector<std::string>{"OK"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Records()[0].uploaded; }, 20000))
      << "a 2xx reply accepts the post's records";
  EXPECT_TRUE(window_->Records()[0].Columns().cell[0] == u"已上传");
  // Uploading it again is asked first.
  messages.clear();
  confirmAnswer = false;  // still ticked
  window_->findChild<QPushButton*>("btn_upload")->click();
  EXPECT_EQ(messages, std::vector<std::string>{"其中 1 条已上传，仍要再次上传吗？"});
  EXPECT_FALSE(window_->findChild<QLabel*>("TextUploadProgress")->isVisible()) << "not sent";
}

// "自动上传": stored records go out by themselves; a server that is down is
// tried again (at once when asked), and every record arrives and is flagged.
TEST_F(UploadWindowTest, AutoUploadQueuesRetriesAndFlagsEveryRecord) {
  std::filesystem::copy_file(std::string(RESIDUE_SOURCE_DIR) + "/data.txt", Path("data.txt"));
  const int port = peers::ClosedPort();  // nobody listens there yet
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"0")});
  std::ofstream(settingsFile_) << R"({"deviceid": "0123456789ABCDEF", "serv_port": )" << port
                               << "}";
  options_.timing.uploadConnectTimeoutMs = 1000;
  options_.timing.uploadIdleTimeoutMs = 1000;
  MainFrameWnd& w = Open();
  messages.clear();
  w.findChild<QCheckBox*>("CheckAutoUpload")->click();
  EXPECT_EQ(messages, std::vector<std::string>{"有 2 条未上传的记录，是否一并上传？"});
  EXPECT_TRUE(w.Records()[0].Columns().cell[0] == u"待上传");
  auto* state = w.findChild<QLabel*>("TextOutbox");
  ASSERT_TRUE(QTest::qWaitFor([&] { return FullText(state).contains("秒后重试"); }, 20000))
      << FullText(state).toStdString();
  EXPECT_TRUE(FullText(state).startsWith("自动上传：待上传 2 条，"))
      << FullText(state).toStdString();

  const int tcp = StartServer({"--tcp-port", std::to_string(port)});
  ASSERT_EQ(tcp, port);
  w.findChild<QPushButton*>("BtnUploadNow")->click();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return w.Records()[0].uploaded && w.Records()[1].uploaded; }, 20000));
  // Records arriving now (a replay of the capture) go by themselves.
  const auto replayed = std::chrono::steady_clock::now();
  w.findChild<QPushButton*>("debug")->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        if (w.Records().Count() != 6) return false;
        for (uint32_t i = 0; i < 6; ++i) {
          if (!w.Records()[i].uploaded) return false;
        }
        return true;
      },
      20000));
  RecordProperty("replayed_to_uploaded_ms",
                 static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - replayed)
                                      .count()));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return FullText(state) == QStringLiteral("自动上传：待上传 0 条"); }, 5000))
      << FullText(state).toStdString();
  CloseWindow();
  // Each record reached the server once.
  server_->Terminate();
  std::vector<std::string> received;
  for (std::string line; !(line = server_->ReadLine()).empty();) {
    if (line.rfind("TCP record ", 0) == 0) received.push_back(line.substr(11, 12));
  }
  EXPECT_EQ(received.size(), 6u);
  std::sort(received.begin(), received.end());
  EXPECT_EQ(std::unique(received.begin(), received.end()) - received.begin(), 6);
  EXPECT_EQ(Settings().FindProperty(u"auto_upload")->Boolean(false), true);
  Open();
  for (uint32_t i = 0; i < window_->Records().Count(); ++i) {
    EXPECT_TRUE(window_->Records()[i].uploaded) << i;
  }
}

// "上传" pressed while the automatic upload drains: the records of the round
// under way are left to it, the others go with the manual upload and are then
// taken out of the queue unsent; the server gets every record once.
TEST_F(UploadWindowTest, AManualUploadWhileTheQueueDrainsSendsNoRecordTwice) {
  const int tcp = StartServer({"--delay-ms", "30"});
  std::vector<String> texts;
  for (int i = 0; i < 60; ++i) {
    char time[32];
    std::snprintf(time, sizeof time, "2612061000%02d", i);
    texts.push_back(RecordText(String::FromBytes(time, cp::kUtf8).Handle(), u"01", u"1"));
  }
  Store(texts);
  std::ofstream(settingsFile_) << R"({"deviceid": "0123456789ABCDEF", "serv_port": )" << tcp << "}";
  options_.timing.outboxBatch = 20;
  MainFrameWnd& w = Open();
  w.findChild<QCheckBox*>("CheckAutoUpload")->click();  // all 60 queued
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Records()[0].uploaded; }, 20000));
  // The second round (600 ms at 30 ms a record) is under way.
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.IsAutoUploadSending(u"261206100025"); }, 20000));
  ASSERT_FALSE(w.Records()[20].uploaded);
  // Rows of the round under way and of the next are ticked.
  for (int row : {25, 50, 51, 52, 53, 54, 55}) ClickCheckBox(row);
  messages.clear();
  w.findChild<QPushButton*>("btn_upload")->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (uint32_t i = 0; i < 60; ++i) {
          if (!w.Records()[i].uploaded) return false;
        }
        return !messages.empty();
      },
      30000));
  EXPECT_EQ(messages.back(), "已成功上传 6 条数据!") << "the row of the round under way left out";
  CloseWindow();
  server_->Terminate();
  std::map<std::string, int> received;
  for (std::string line; !(line = server_->ReadLine()).empty();) {
    if (line.rfind("TCP record ", 0) == 0) ++received[line.substr(11, 12)];
  }
  EXPECT_EQ(received.size(), 60u);
  for (const auto& [time, count] : received) EXPECT_EQ(count, 1) << time;
}

// A record the server refuses leaves the queue with the server's words in its
// first column, still there after a restart, and is not sent again by itself.
TEST_F(UploadWindowTest, ARefusedRecordShowsTheServersWordsAndIsNotRetried) {
  const int tcp = StartServer({"--status", "duplicate record"});
  Store({RecordText(u"261206100001", u"01", u"1")});
  std::ofstream(settingsFile_) << R"({"deviceid": "0123456789ABCDEF", "serv_port": )" << tcp << "}";
  MainFrameWnd& w = Open();
  w.findChild<QCheckBox*>("CheckAutoUpload")->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return w.Records()[0].Columns().cell[0] == u"duplicate record"; }, 20000));
  auto* state = w.findChild<QLabel*>("TextOutbox");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return FullText(state) == QStringLiteral("自动上传：待上传 0 条"); }, 5000))
      << FullText(state).toStdString();
  CloseWindow();
  Open();
  EXPECT_TRUE(window_->Records()[0].Columns().cell[0] == u"duplicate record");
  EXPECT_FALSE(window_->Records()[0].uploaded);
}

// The program stopped between storing a record and queueing it: the record
// was announced to the queue first, and the next start queues it.
TEST_F(UploadWindowTest, ARecordStoredJustBeforeACrashIsQueuedAtTheNextStart) {
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1")});
  {
    Outbox outbox(Outbox::FolderFor(options_.storageFolder));
    ASSERT_TRUE(outbox.Expect(u"261206100002"));  // and then the crash
  }
  UseAutoUploadToAClosedPort();
  MainFrameWnd& w = Open();
  EXPECT_TRUE(w.Records()[0].Columns().cell[0] == u"") << "not announced: not queued";
  EXPECT_TRUE(w.Records()[1].Columns().cell[0] == u"待上传");
  CloseWindow();
  Outbox outbox(Outbox::FolderFor(options_.storageFolder));
  EXPECT_EQ(outbox.Count(), 1u);
  EXPECT_TRUE(outbox.Expected().empty()) << "the announcement is done with";
}

// Closing while the automatic upload hangs on a server that never answers
// (or never accepts) takes well under two seconds and keeps the queue.
TEST_F(UploadWindowTest, ClosingDuringAHungAutomaticUploadIsQuickAndKeepsTheQueue) {
  peers::Peer neverReads(peers::Peer::kNeverRead);
  peers::FullQueue hung;
  for (const int port : {neverReads.Port(), hung.Port()}) {
    std::filesystem::remove_all(options_.storageFolder);
    std::filesystem::remove_all(Outbox::FolderFor(options_.storageFolder));
    Store({RecordText(u"261206100001", u"01", u"1")});
    std::ofstream(settingsFile_) << R"({"deviceid": "0123456789ABCDEF", "auto_upload": true, )"
                                 << R"("serv_port": )" << port << "}";
    options_.timing.uploadConnectTimeoutMs = 60000;
    options_.timing.uploadIdleTimeoutMs = 60000;
    confirmAnswer = true;
    MainFrameWnd& w = Open();
    // Queued by hand, as the check box's question would.
    w.findChild<QCheckBox*>("CheckAutoUpload")->click();  // off
    w.findChild<QCheckBox*>("CheckAutoUpload")->click();  // on: the old record is offered
    auto* state = w.findChild<QLabel*>("TextOutbox");
    QTest::qWait(300);  // the round is under way, held by the server
    EXPECT_EQ(FullText(state), QStringLiteral("自动上传：待上传 1 条")) << port;
    const auto start = std::chrono::steady_clock::now();
    CloseWindow();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500)) << port;
    Outbox outbox(Outbox::FolderFor(options_.storageFolder));
    EXPECT_EQ(outbox.Count(), 1u) << port;
  }
}

TEST_F(UploadWindowTest, EnterInTheCodeBoxOpensTheTracePageAndDebugReplaysTheCapture) {
  std::filesystem::copy_file(std::string(RESIDUE_SOURCE_DIR) + "/data.txt", Path("data.txt"));
  std::ofstream(settingsFile_) << R"({"serv_host": "trace.example"})";
  Open();
  opened.clear();
  SetUrlOpenHandler(CatchUrl);
  auto* code = window_->findChild<QLineEdit*>("EditCode");
  code->setText(QStringLiteral("0123456789AB"));
  Notification enter;
  enter.type = QStringLiteral("return");
  enter.sender = code;
  enter.name = QStringLiteral("EditCode");
  window_->Notify(enter);
  EXPECT_EQ(code->selectedText(), QStringLiteral("0123456789AB"));
  EXPECT_TRUE(messages.empty());
  // No browser: the address is shown to copy.
  browserThere = false;
  window_->Notify(enter);
  browserThere = true;
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("http://trace.example/trace?uid=0123456789AB"), std::string::npos);
  // Nothing, or something that is no trace code: said so, nothing opened.
  for (const char* typed : {"", "xyz"}) {
    code->setText(QString::fromUtf8(typed));
    window_->Notify(enter);
  }
  SetUrlOpenHandler(nullptr);
  EXPECT_EQ(opened, (std::vector<std::string>{"http://trace.example/trace?uid=0123456789AB",
                                              "http://trace.example/trace?uid=0123456789AB"}));
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[1], "请输入标签上的追溯码，或扫描标签上的条码或二维码");
  EXPECT_EQ(messages[2], "“xyz”不是追溯码：请输入标签上的 12 位追溯码，或扫描标签上的条码或二维码");
  messages.clear();

  auto* debug = window_->findChild<QPushButton*>("debug");
  confirmAnswer = false;  // the operator thinks again
  debug->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("回放采集文件 " + Path("data.txt") + "？", 0), 0u) << messages[0];
  QTest::qWait(50);
  EXPECT_EQ(window_->Records().Count(), 0u) << "nothing replayed without a yes";
  confirmAnswer = true;
  debug->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Records().Count() == 4; }, 20000));
  debug->click();  // each selection replays the file once; the same tests are not listed again
  QTest::qWait(100);
  EXPECT_EQ(window_->Records().Count(), 4u);
  uint32_t stored = window_->Database().ForEach([](String&, Json&) { return false; });
  EXPECT_EQ(stored, 4u) << "four records, each stored once; the frame broken by noise is none";
  // The capture file gone: named, and nothing asked.
  std::filesystem::remove(Path("data.txt"));
  messages.clear();
  debug->click();
  EXPECT_EQ(messages,
            std::vector<std::string>{"找不到采集文件 " + Path("data.txt") + "，没有可回放的记录"});
}

// A server that hangs: the window shows progress and stays usable, the stop
// button ends the sending, and closing never waits for the server and shows
// nothing afterwards.
TEST_F(UploadWindowTest, AHungServerNeitherFreezesTheWindowNorHoldsItsClose) {
  peers::FullQueue hung;
  LoopbackServer silent;
  silent.Start([](int fd) { LoopbackServer::Read(fd, 1 << 20); });
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1")});
  for (const char* type : {"TCP服务器", "HTTP服务器"}) {
    std::ofstream(settingsFile_) << "{\"deviceid\": \"0123456789ABCDEF\", \"serv_host\": "
                                    "\"127.0.0.1\", \"serv_port\": "
                                 << hung.Port() << ", \"serv_type\": \""
                                 << String::FromBytes(type, cp::kUtf8).ToBytes(cp::kGbk)
                                 << "\", \"http_url\": \"http://127.0.0.1:" << hung.Port()
                                 << "/up\"}";
    options_.timing.uploadConnectTimeoutMs = 60000;
    options_.timing.uploadIdleTimeoutMs = 60000;
    Open();
    messages.clear();
    window_->findChild<QCheckBox*>("selall")->click();
    window_->findChild<QPushButton*>("btn_upload")->click();
    ASSERT_TRUE(window_->IsUploading()) << type;
    bool handled = false;
    QTimer::singleShot(0, [&] { handled = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled; }, 20000)) << "the event loop runs on";
    EXPECT_EQ(window_->findChild<QLabel*>("TextUploadProgress")->text().toStdString(),
              "正在上传 0/2");
    EXPECT_TRUE(window_->findChild<QWidget*>("BtnStopUpload")->isVisible());
    window_->close();
    EXPECT_FALSE(window_->IsUploading()) << type;
    QTest::qWait(50);
    EXPECT_TRUE(messages.empty()) << type << ": no box after the window has closed";
    window_.reset();
  }

  // A refusal whose message is already on its way when the window closes.
  int refused;
  {
    LoopbackServer closed;
    refused = closed.Port();
  }
  std::ofstream(settingsFile_) << "{\"deviceid\": \"0123456789ABCDEF\", \"serv_host\": "
                                  "\"127.0.0.1\", \"serv_port\": "
                               << refused << "}";
  Open();
  messages.clear();
  window_->findChild<QPushButton*>("btn_upload")->click();
  while (window_->IsUploading()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  window_->close();  // the worker's message waits in the queue
  QTest::qWait(50);
  EXPECT_TRUE(messages.empty()) << messages.front();
  window_.reset();

  // A server that takes the frames and never answers: the stop button ends the
  // sending, and the report follows the idle time-out (how many frames went
  // out before the stop depends on timing; the upload tests pin that down).
  std::ofstream(settingsFile_) << "{\"deviceid\": \"0123456789ABCDEF\", \"serv_host\": "
                                  "\"127.0.0.1\", \"serv_port\": "
                               << silent.Port() << "}";
  options_.timing.uploadConnectTimeoutMs = 60000;
  options_.timing.uploadIdleTimeoutMs = 300;
  Open();
  messages.clear();
  window_->findChild<QCheckBox*>("selall")->click();
  window_->findChild<QPushButton*>("btn_upload")->click();
  window_->findChild<QPushButton*>("BtnStopUpload")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 20000));
  EXPECT_EQ(messages[0].rfind("已成功上传 0 条数据!", 0), 0u) << messages[0];
  QTest::qWait(20);
  EXPECT_FALSE(window_->findChild<QWidget*>("BtnStopUpload")->isVisible());
  CloseWindow();
}

#ifndef _WIN32
// A full disk is made with the file size limit of POSIX.
// Flags that cannot be stored (the disk is full) are not shown as stored, and
// the report says how many records will go again next time.
TEST_F(UploadWindowTest, UploadFlagsThatCannotBeStoredAreReported) {
  const int tcp = StartServer();
  Store({RecordText(u"261206100001", u"01", u"1"), RecordText(u"261206100002", u"02", u"1")});
  std::ofstream(settingsFile_) << "{\"deviceid\": \"0123456789ABCDEF\", \"serv_port\": " << tcp
                               << "}";
  Open();
  window_->findChild<QCheckBox*>("selall")->click();
  messages.clear();
  fileSize_.Set(LogSize());  // the log may not grow
  window_->findChild<QPushButton*>("btn_upload")->click();
  const bool reported = QTest::qWaitFor([&] { return !messages.empty(); }, 20000);
  fileSize_.Lift();
  ASSERT_TRUE(reported);
  EXPECT_EQ(messages[0], "已成功上传 2 条数据!\n2 条数据的上传标记未能保存，下次会再上传");
  EXPECT_TRUE(window_->Records()[0].Columns().cell[0] == u"已上传，标记未保存");
  Json doc;
  ASSERT_TRUE(window_->Database().GetJson(u"261206100001", doc));
  EXPECT_FALSE(doc.PropertyBool(u"uploaded", true));
}

// The disk is full while records arrive: they stay listed and marked, one box
// says so, and they are stored once there is room again; what is still
// waiting at close goes to a file that the next start stores.
class FullDiskTest : public UploadWindowTest {
 protected:
  void Fill() { fileSize_.Set(0); }  // no file grows
  void Free() { fileSize_.Lift(); }
  void Replay() {
    window_->findChild<QPushButton*>("debug")->click();  // confirmed by the fixture
  }
  uint32_t Stored() {
    return window_->Database().ForEach([](String&, Json&) { return false; });
  }
};

TEST_F(FullDiskTest, RecordsThatCannotBeStoredWaitAndAreStoredWhenThereIsRoom) {
  std::filesystem::copy_file(std::string(RESIDUE_SOURCE_DIR) + "/data.txt", Path("data.txt"));
  options_.timing.pendingRetryMs = 20;
  Open();
  messages.clear();
  Fill();
  Replay();
  const bool listed = QTest::qWaitFor([&] { return window_->Records().Count() == 4; }, 20000);
  QTest::qWait(100);  // several retries fail meanwhile
  const int waiting = window_->PendingRecordCount();
  const std::vector<std::string> said = messages;
  Free();
  ASSERT_TRUE(listed);
  EXPECT_EQ(waiting, 4) << "four records; the frame broken by noise is none";
  ASSERT_EQ(said.size(), 2u) << "the replay's question and one box, not one per record";
  EXPECT_EQ(said[1].rfind("无法保存检测记录：", 0), 0u) << said[1];
  EXPECT_NE(said[1].find("有 4 条记录等待保存"), std::string::npos) << said[1];
  EXPECT_TRUE(window_->Records()[0].Columns().cell[0] == u"未保存");
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->PendingRecordCount() == 0; }, 20000));
  EXPECT_EQ(Stored(), 4u);
  EXPECT_TRUE(window_->Records()[0].Columns().cell[0] == u"");
}

// With automatic upload on, records stored late are queued like the others.
TEST_F(FullDiskTest, RecordsStoredLateAreQueuedForTheAutomaticUpload) {
  std::filesystem::copy_file(std::string(RESIDUE_SOURCE_DIR) + "/data.txt", Path("data.txt"));
  UseAutoUploadToAClosedPort();
  options_.timing.pendingRetryMs = 20;
  Open();
  Fill();
  Replay();
  const bool listed = QTest::qWaitFor([&] { return window_->Records().Count() == 4; }, 20000);
  Free();
  ASSERT_TRUE(listed);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->PendingRecordCount() == 0; }, 20000));
  EXPECT_TRUE(window_->Records()[0].Columns().cell[0] == u"待上传");
  CloseWindow();
  EXPECT_EQ(Outbox(Outbox::FolderFor(options_.storageFolder)).Count(), 4u);
}

TEST_F(FullDiskTest, WhatIsStillWaitingAtCloseIsStoredAtTheNextStart) {
  std::filesystem::copy_file(std::string(RESIDUE_SOURCE_DIR) + "/data.txt", Path("data.txt"));
  std::vector<String> earlier;
  for (int i = 0; i < 10; ++i) {
    String time;
    time.Format(u"2612061000%02d", i);
    earlier.push_back(RecordText(time.Handle(), u"01", u"1"));
  }
  Store(earlier);
  options_.timing.pendingRetryMs = 60000;
  Open();
  window_->findChild<QCheckBox*>("selall")->click();  // the database's log grows
  // No file may grow past five frames: the log is already longer, and a
  // database opened again at close soon runs out of room too.
  ASSERT_GT(LogSize(), 5u * 179u);
  fileSize_.Set(5 * 179);
  Replay();
  const bool waiting = QTest::qWaitFor([&] { return window_->PendingRecordCount() == 4; }, 20000);
  window_->close();  // one last try, then the file
  Free();
  window_.reset();
  ASSERT_TRUE(waiting);
  std::string kept;
  ASSERT_TRUE(ReadWholeFile(options_.storageFolder + "-pending.txt", kept));
  EXPECT_GT(kept.size(), 0u);
  EXPECT_EQ(kept.size() % 179, 0u) << "whole raw detector frames";
  EXPECT_EQ(kept.rfind(":NC", 0), 0u);

  MainFrameWnd& w = Open();
  EXPECT_EQ(w.Records().Count(), 14u) << "ten from before and the four records that waited";
  EXPECT_EQ(Stored(), 14u) << "nothing lost, nothing twice";
  EXPECT_FALSE(std::filesystem::exists(options_.storageFolder + "-pending.txt"))
      << "removed once all are stored";
}

// The same on a real disk that fills up: a 1 MB tmpfs holding the database.
TEST_F(FullDiskTest, ABurstOnAFullDiskIsStoredOnceThereIsRoomAgain) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const std::string disk = Path("disk");
  std::filesystem::create_directories(disk);
  if (std::system(("mount -t tmpfs -o size=1m tmpfs " + disk + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "tmpfs cannot be mounted here";
  struct Unmount {
    std::string path;
    ~Unmount() { std::system(("umount " + path).c_str()); }
  } unmount{disk};
  std::filesystem::copy_file(std::string(RESIDUE_SOURCE_DIR) + "/data.txt", Path("data.txt"));
  options_.storageFolder = disk + "/storage";
  options_.timing.pendingRetryMs = 20;
  Open();
  // Fill every byte that is left.
  {
    std::ofstream filler(disk + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), block.size())) {
    }
  }
  messages.clear();
  Replay();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->PendingRecordCount() == 4; }, 20000));
  EXPECT_EQ(Stored(), 0u);
  std::filesystem::remove(disk + "/filler");  // the operator makes room
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->PendingRecordCount() == 0; }, 20000));
  EXPECT_EQ(Stored(), 4u);
  EXPECT_EQ(messages.size(), 2u) << "the replay's question and one box";
  CloseWindow();
}

#endif  // _WIN32

}  // namespace

#include "app/serial_link.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "device/frame_builder.h"
#include "tests/support/child_process.h"
#include "tests/support/pty_pair.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// Records what the link shows and hands over, and lets a test wait for it.
class RecordingHost : public SerialLinkHost {
 public:
  void ShowPortStatus(const String& text, bool good) override {
    std::lock_guard<std::mutex> lock(mutex_);
    statuses.push_back(text.ToBytes(cp::kUtf8) + (good ? " [green]" : " [red]"));
    changed_.notify_all();
  }
  void ShowDatabaseError(const String& text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    errors.push_back(text.ToBytes(cp::kUtf8));
  }
  void HandOverRecord(const String& key, const String& text, bool, bool duplicate,
                      const String& deviceId) override {
    std::lock_guard<std::mutex> lock(mutex_);
    keys.push_back(key.ToBytes(cp::kUtf8) + (duplicate ? " (again)" : ""));
    ids.push_back(deviceId.ToBytes(cp::kUtf8));
    texts.push_back(text.ToBytes(cp::kGbk));
    changed_.notify_all();
  }
  bool WaitFor(std::function<bool()> done, std::chrono::milliseconds limit = 20s) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, done);
  }
  std::string LastStatus() {
    std::lock_guard<std::mutex> lock(mutex_);
    return statuses.empty() ? "" : statuses.back();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> statuses, errors, keys, texts, ids;
};

std::string Frame(const char16_t* time, const char16_t* channel) {
  FrameFields f;
  f.time = time;
  f.channel = channel;
  return BuildFrame(f);
}

class SerialLinkTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    db_ = std::make_unique<RecordDb>(Path("storage"));
    decoder_.SetRecordCallback(
        [this](std::string& key, std::string& text) { link_->OnRecordReceived(key, text); });
    link_ = std::make_unique<SerialLink>(host_, *db_, decoder_, names_);
  }
  void TearDown() override {
    link_.reset();
    db_.reset();
    TempDirTest::TearDown();
  }
  void AddPort(const std::string& path) {
    AppendExtraPorts(ports_, {String::FromBytes(path, cp::kUtf8)});
  }
  String PortName(uint32_t i) const { return ports_[i].friendlyName; }
  void Tick(const String& name, const String& baud = u"9600") {
    link_->OnPortTimer(name, baud, ports_);
  }

  RecordingHost host_;
  std::unique_ptr<RecordDb> db_;
  FrameDecoder decoder_;
  ProductNames names_;
  std::unique_ptr<SerialLink> link_;
  ObjectList<SSerInfo> ports_;
};

TEST_F(SerialLinkTest, FramesWrittenToThePortBecomeStoredRecordsInOrder) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  AddPort(pty.Path());
  names_.Set(3, u"黄瓜");
  Tick(PortName(0));
  ASSERT_EQ(host_.LastStatus(), "串口打开成功: " + PortName(0).ToBytes(cp::kUtf8) + " [green]");
  ASSERT_TRUE(link_->IsOpen());

  const std::string a = Frame(u"261206080001", u"04");
  const std::string b = Frame(u"261206080001", u"05");  // same second, other channel
  const std::string c = Frame(u"261206080002", u"01");
  ASSERT_TRUE(pty.Write("noise:N" + a + "3A5F0C1E9B7D2468" + b.substr(0, 2)));
  std::this_thread::sleep_for(20ms);  // the marker arrives in two reads
  ASSERT_TRUE(pty.Write(b.substr(2, 90)));
  std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(pty.Write(b.substr(92) + c));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.keys.size() == 3; }));
  EXPECT_EQ(host_.keys,
            (std::vector<std::string>{"261206080001", "261206080001+05", "261206080002"}));
  EXPECT_EQ(host_.texts[0].substr(149, 4), "\xBB\xC6\xB9\xCF") << "channel 4's product name";
  EXPECT_EQ(host_.texts[2], c.substr(3));
  EXPECT_TRUE(host_.errors.empty());
  String stored;
  EXPECT_TRUE(db_->GetText(u"261206080001+05", stored));
}

TEST_F(SerialLinkTest, UnpluggedPortClosesAndIsReopenedWhenItIsBack) {
  const std::string link = Path("detector");
  auto first = std::make_unique<PtyPair>();
  ASSERT_EQ(::symlink(first->Path().c_str(), link.c_str()), 0);
  AddPort(link);
  Tick(PortName(0));
  ASSERT_EQ(host_.LastStatus(), "串口打开成功: " + PortName(0).ToBytes(cp::kUtf8) + " [green]");

  first->CloseLeader();  // unplugged
  ASSERT_TRUE(host_.WaitFor([&] { return host_.statuses.back() == "串口关闭 [red]"; }));
  EXPECT_FALSE(link_->IsOpen());
  const std::string device = first->Path();
  first.reset();
  // The system removes the device a moment after its last user let go.
  for (int i = 0; i < 500 && ::access(device.c_str(), F_OK) == 0; ++i)
    std::this_thread::sleep_for(10ms);
  Tick(PortName(0));
  EXPECT_EQ(host_.LastStatus(),
            PortName(0).ToBytes(cp::kUtf8) + ": 串口设备不存在，请检查检测仪的数据线是否插好 [red]")
      << "the port and what to do";

  PtyPair second;  // plugged in again under the same name
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(second.Path().c_str(), link.c_str()), 0);
  Tick(PortName(0));
  EXPECT_EQ(host_.LastStatus(), "串口打开成功: " + PortName(0).ToBytes(cp::kUtf8) + " [green]");
  ASSERT_TRUE(second.Write(Frame(u"261206090000", u"02")));
  EXPECT_TRUE(host_.WaitFor([&] { return host_.keys.size() == 1; }));
}

TEST_F(SerialLinkTest, ACablePulledMidFrameLeavesNoSplicedRecord) {
  const std::string link = Path("detector");
  auto first = std::make_unique<PtyPair>();
  ASSERT_EQ(::symlink(first->Path().c_str(), link.c_str()), 0);
  AddPort(link);
  link_->SetDeviceId(u"0123456789ABCDEF");
  Tick(PortName(0));
  const std::string a = Frame(u"261206080001", u"01");
  const std::string b = Frame(u"261206080002", u"02");
  const std::string c = Frame(u"261206080003", u"03");
  ASSERT_TRUE(first->Write(a + b.substr(0, 100)));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.keys.size() == 1; }));
  // Let the half frame reach the decoder before the cable goes.
  for (int i = 0; i < 200 && decoder_.Count() < 100; ++i) std::this_thread::sleep_for(5ms);
  ASSERT_EQ(decoder_.Count(), 100u);
  first->CloseLeader();
  ASSERT_TRUE(host_.WaitFor([&] { return host_.statuses.back() == "串口关闭 [red]"; }));
  first.reset();

  PtyPair second;
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(second.Path().c_str(), link.c_str()), 0);
  Tick(PortName(0));
  ASSERT_TRUE(link_->IsOpen());
  // The rest of the cut frame, then a whole one, then the same one again.
  ASSERT_TRUE(second.Write(b.substr(100) + c + c));
  ASSERT_TRUE(host_.WaitFor([&] { return host_.keys.size() == 3; }));
  EXPECT_EQ(host_.keys,
            (std::vector<std::string>{"261206080001", "261206080003", "261206080003 (again)"}));
  EXPECT_EQ(decoder_.DroppedFrames(), 1u);
  EXPECT_EQ(host_.ids[0], "0123456789ABCDEF");
  String stored;
  EXPECT_FALSE(db_->GetText(u"261206080002", stored)) << "no half frame stored";
  ASSERT_TRUE(db_->GetText(u"261206080003", stored));
  EXPECT_NE(stored.ToBytes(cp::kUtf8).find("\"deviceid\":\"0123456789ABCDEF\""), std::string::npos)
      << stored.ToBytes(cp::kUtf8);
}

TEST_F(SerialLinkTest, AbsentOrUnnamedPortsAndRefusedBaudTexts) {
  Tick(u"");
  EXPECT_TRUE(host_.statuses.empty()) << "no port chosen: nothing happens";
  Tick(u"USB-SERIAL CH340 (ttyUSB0)");
  Tick(u"USB-SERIAL CH340 (ttyUSB0)");
  EXPECT_EQ(host_.statuses,
            (std::vector<std::string>(2, "此串口未找到: USB-SERIAL CH340 (ttyUSB0) [green]")));

  PtyPair pty;
  AddPort(pty.Path());
  Tick(PortName(0), u"12345");  // no such speed: that step fails, the port still opens
  EXPECT_EQ(host_.LastStatus(), "串口打开成功: " + PortName(0).ToBytes(cp::kUtf8) + " [green]");
  ASSERT_TRUE(pty.Write(Frame(u"261206100000", u"03")));
  EXPECT_TRUE(host_.WaitFor([&] { return host_.keys.size() == 1; }));
}

TEST_F(SerialLinkTest, StoppingWhileBytesFlowEndsTheThreadAndClosesThePort) {
  PtyPair pty;
  AddPort(pty.Path());
  Tick(PortName(0));
  std::atomic<bool> writing{true};
  std::thread writer([&] {
    while (writing && pty.Write(Frame(u"261206110000", u"01"))) std::this_thread::sleep_for(1ms);
  });
  ASSERT_TRUE(host_.WaitFor([&] { return !host_.keys.empty(); }));
  link_->Stop();
  EXPECT_FALSE(link_->IsOpen());
  EXPECT_EQ(host_.LastStatus(), "串口关闭 [red]");
  writing = false;
  writer.join();
}

// A port whose configuration fails (the final purge).
class UnconfigurablePort : public SerialPort {
 public:
  Status Open(const String&) override {
    open_ = true;
    return Status::Ok();
  }
  bool SetTimeoutsZero() override { return true; }
  bool SetLineSettings(const String&) override { return true; }
  bool SetRtsOn() override { return true; }
  bool PurgeAll() override { return false; }
  bool PurgeReceive() override { return false; }
  int BytesWaiting() override { return -1; }
  int ReadByte(uint8_t&) override { return -1; }
  void Close() override { open_ = false; }
  bool IsOpen() const override { return open_; }

 private:
  bool open_ = false;
};

TEST_F(SerialLinkTest, FailedConfigurationClosesThePortSoTheTimerRetries) {
  int opened = 0;
  SerialLink link(host_, *db_, decoder_, names_, [&] {
    ++opened;
    return std::make_unique<UnconfigurablePort>();
  });
  AddPort("/dev/null");
  link.OnPortTimer(PortName(0), u"9600", ports_);
  EXPECT_EQ(host_.LastStatus(), "初始化串口失败 [green]");
  EXPECT_FALSE(link.IsOpen());
  link.OnPortTimer(PortName(0), u"9600", ports_);
  EXPECT_EQ(opened, 2);
}

// A port whose bytes arrive in chunks, one chunk waiting at a time, and whose
// read of one byte fails; a purge drops what is still waiting.
class FailingReadPort : public UnconfigurablePort {
 public:
  FailingReadPort(std::vector<std::string> chunks, size_t failAt)
      : chunks_(std::move(chunks)), failAt_(failAt) {}
  bool PurgeAll() override { return true; }
  bool PurgeReceive() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++purges;
    if (!chunks_.empty()) chunks_.erase(chunks_.begin());
    return true;
  }
  int BytesWaiting() override {
    std::lock_guard<std::mutex> lock(mutex_);
    while (!chunks_.empty() && chunks_.front().empty()) chunks_.erase(chunks_.begin());
    return chunks_.empty() ? 0 : static_cast<int>(chunks_.front().size());
  }
  int ReadByte(uint8_t& byte) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (chunks_.empty() || chunks_.front().empty()) return 0;
    byte = static_cast<uint8_t>(chunks_.front()[0]);
    chunks_.front().erase(0, 1);
    return read_++ == failAt_ ? -1 : 1;
  }
  std::mutex mutex_;
  int purges = 0;

 private:
  std::vector<std::string> chunks_;
  size_t failAt_;
  size_t read_ = 0;
};

// A read error drops what was waiting with the failed byte (it cannot be
// trusted), and the link reads on: the next frame is stored whole.
TEST_F(SerialLinkTest, AReadErrorPurgesWhatWasWaitingAndReadingGoesOn) {
  const std::string broken = Frame(u"261206130000", u"01");
  const std::string next = Frame(u"261206130001", u"02");
  FailingReadPort* port = nullptr;
  SerialLink link(host_, *db_, decoder_, names_, [&] {
    auto made =
        std::make_unique<FailingReadPort>(std::vector<std::string>{"abc" + broken, next}, 2);
    port = made.get();
    return made;
  });
  decoder_.SetRecordCallback(
      [&](std::string& key, std::string& text) { link.OnRecordReceived(key, text); });
  AddPort("/dev/null");
  link.OnPortTimer(PortName(0), u"9600", ports_);
  ASSERT_TRUE(host_.WaitFor([&] { return !host_.keys.empty(); }));
  link.Stop();
  EXPECT_EQ(host_.keys, std::vector<std::string>{"261206130001"});
  std::lock_guard<std::mutex> lock(port->mutex_);
  EXPECT_EQ(port->purges, 1);
}

TEST_F(SerialLinkTest, RecordThatCannotBeStoredIsReportedAndStillHandedOver) {
  RecordDb locked(Path("storage"));  // the folder is held by db_
  SerialLink link(host_, locked, decoder_, names_);
  std::string key = "261206120000";
  std::string text = Frame(u"261206120000", u"01").substr(3);
  link.OnRecordReceived(key, text);
  ASSERT_EQ(host_.errors.size(), 1u);
  EXPECT_EQ(host_.errors[0].rfind("IO error: ", 0), 0u) << host_.errors[0];
  EXPECT_EQ(host_.keys, (std::vector<std::string>{"261206120000"}));
}

TEST_F(SerialLinkTest, DetectorSimulatorFramesArriveWholeThroughNoiseAndSharedSeconds) {
  const std::string link = Path("sim");
  const std::string command = std::string(DETECTOR_SIM) + " --link " + link +
                              " --frames 6 --same-second 2 --noise --ff --baud 115200"
                              " --interval-ms 0 --start-delay-ms 300 --linger-ms 300"
                              " --start-time 261206080000";
  FILE* sim = popen(command.c_str(), "r");
  ASSERT_NE(sim, nullptr);
  char line[256];
  ASSERT_NE(fgets(line, sizeof line, sim), nullptr);
  EXPECT_EQ(std::string(line), "PORT " + link + "\n");
  AddPort(link);
  Tick(PortName(0), u"115200");
  EXPECT_EQ(host_.LastStatus(), "串口打开成功: " + PortName(0).ToBytes(cp::kUtf8) + " [green]");
  const bool all = host_.WaitFor([&] { return host_.keys.size() == 6; });
  pclose(sim);
  EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link goes with the simulator";
  ASSERT_TRUE(all) << host_.keys.size() << " records";
  EXPECT_EQ(host_.keys,
            (std::vector<std::string>{"261206080000", "261206080000+02", "261206080001",
                                      "261206080001+03", "261206080002", "261206080002+04"}));
  for (const std::string& text : host_.texts) {
    EXPECT_EQ(text.size(), 176u);
    EXPECT_EQ(text.find('\xFF'), std::string::npos) << "0xFF arrives as a space";
  }
}

}  // namespace

namespace {

TEST(DetectorSimTest, AStoppedSimulatorLeavesNoLinkBehind) {
  const std::string link = ::testing::TempDir() + "/stopped-sim-" + std::to_string(::getpid());
  {
    ChildProcess sim({DETECTOR_SIM, "--link", link, "--frames", "1", "--start-delay-ms", "60000"});
    ASSERT_EQ(sim.ReadLine(), "PORT " + link);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
  }  // stopped with SIGTERM
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

}  // namespace

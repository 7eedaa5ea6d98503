#include "output/label_transport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "base/file_io.h"
#include "output/label_delivery.h"
#include "output/printer_queues.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "tests/support/temp_dir.h"

namespace {

// Longer than every buffer between us and a peer that does not read.
const std::string kLabel = [] {
  std::string label = "SIZE 75 mm, 55 mm\r\nCLS\r\n";
  while (label.size() < 256 * 1024) label += "BOX 300,190,306,196,5\r\n";
  return label + "PRINT 1,1\r\n";
}();

// Short time-outs: every wait below ends by its time-out or by the peer.
constexpr LabelTimeouts kShort{200, 300, 500};

String Utf8(const std::string& text) { return String::FromBytes(text, cp::kUtf8); }
std::string Utf8(const String& text) { return text.ToBytes(cp::kUtf8); }

std::string Tcp(int port) { return "tcp://127.0.0.1:" + std::to_string(port); }

class LabelTransportTest : public TempDirTest {
 protected:
  void TearDown() override {
    if (!oldPath_.empty()) setenv("PATH", oldPath_.c_str(), 1);
    TempDirTest::TearDown();
  }
  // Puts a fake `lp` with this shell body first on PATH.
  void FakeLp(const std::string& body) { FakeTool("lp", body); }
  void FakeTool(const std::string& name, const std::string& body) {
    std::filesystem::create_directories(Path("bin"));
    std::ofstream(Path("bin/" + name)) << "#!/bin/sh\n" << body << "\n";
    ::chmod(Path("bin/" + name).c_str(), 0755);
    if (oldPath_.empty()) oldPath_ = std::getenv("PATH");
    setenv("PATH", (Path("bin") + ":" + oldPath_).c_str(), 1);
  }
  std::string oldPath_;
};

TEST_F(LabelTransportTest, EveryBadDestinationFailsWithItsReasonInsteadOfHanging) {
  peers::FullQueue hung;
  peers::Peer neverReads(peers::Peer::kNeverRead);
  peers::Peer resets(peers::Peer::kReset);
  int refused;
  {
    LoopbackServer closed;
    refused = closed.Port();
  }
  // A FIFO whose reader never reads: a device that stops taking data.
  const std::string fifo = Path("stalled-printer");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ::fcntl(reader, F_SETPIPE_SZ, 4096);

  struct Case {
    std::string device;
    std::string reason;  // how the reason begins
    LabelTimeouts timeouts = kShort;
  } cases[] = {
      {Tcp(hung.Port()), "连接打印机超时"},
      {Tcp(neverReads.Port()), "打印机没有及时收下标签"},
      {Tcp(resets.Port()), "打印机断开了连接"},
      {Tcp(refused), "打印机拒绝连接"},
      // A name server may be slow to say no: this one alone gets the usual time.
      {"tcp://no-such-printer.invalid:9100", "找不到打印机的地址", LabelTimeouts{}},
      {fifo, "打印机没有及时收下标签"},
      {Path("no/such/lp0"), "找不到打印机设备"},
      {"dir:/proc/labels", "无法写入文件 /proc/labels/label-0001.tspl"},
      {"dir:" + fifo + "/labels",
       "无法写入文件 " + fifo + "/labels/label-0001.tspl"},  // a file in the way
  };
  for (const Case& c : cases) {
    auto transport = OpenLabelTransport(Utf8(c.device), c.timeouts);
    const Status delivered = transport->Deliver(kLabel, nullptr);
    EXPECT_FALSE(delivered) << c.device;
    EXPECT_EQ(Utf8(delivered.text).rfind(c.reason, 0), 0u)
        << c.device << ": " << Utf8(delivered.text);
  }
  ::close(reader);
}

TEST_F(LabelTransportTest, APrinterThatTakesEverythingGetsExactlyTheLabel) {
  LoopbackServer server;
  std::string received;
  server.Start([&](int fd) { received = LoopbackServer::Read(fd, kLabel.size() + 1); });
  const Status delivered =
      OpenLabelTransport(Utf8(Tcp(server.Port())), kShort)->Deliver(kLabel, nullptr);
  EXPECT_TRUE(delivered) << Utf8(delivered.text);
  server.Join();
  EXPECT_EQ(received, kLabel);

  const std::string fifo = Path("printer");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string read;
  std::thread device([&] { ReadWholeFile(fifo, read); });
  // The reader opens the FIFO when it gets to it; until then there is no device.
  for (int i = 0; i < 500; ++i) {
    if (OpenLabelTransport(Utf8(fifo), kShort)->Deliver(kLabel, nullptr)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  device.join();
  EXPECT_EQ(read, kLabel);
}

TEST_F(LabelTransportTest, LpGetsTheLabelOnItsInputAndItsRefusalOrSilenceIsAFailure) {
  FakeLp("echo \"$@\" > '" + Path("args") + "'; cat > '" + Path("stdin") + "'");
  auto transport = OpenLabelTransport(u"cups:Label_Queue", kShort);
  const Status delivered = transport->Deliver(kLabel, nullptr);
  EXPECT_TRUE(delivered) << Utf8(delivered.text);
  std::string args, input;
  ReadWholeFile(Path("args"), args);
  ReadWholeFile(Path("stdin"), input);
  EXPECT_EQ(args, "-d Label_Queue -o raw\n");
  EXPECT_EQ(input, kLabel);

  struct Case {
    const char* lp;
    const char* reason;
  } cases[] = {
      {"cat > /dev/null; echo 'lp: The printer does not exist.' >&2; exit 1",
       "打印服务拒绝了这个标签：lp: The printer does not exist."},
      {"echo 'lp: no queue' >&2; exit 0", "打印服务拒绝了这个标签：lp: no queue"},  // took nothing
      {"exec sleep 30", "打印服务没有及时回应"},                   // never reads its input
      {"cat > /dev/null; exec sleep 30", "打印服务没有及时回应"},  // never exits
  };
  for (const Case& c : cases) {
    FakeLp(c.lp);
    const Status refused = transport->Deliver(kLabel, nullptr);
    EXPECT_FALSE(refused) << c.lp;
    EXPECT_EQ(Utf8(refused.text).rfind(c.reason, 0), 0u) << c.lp << ": " << Utf8(refused.text);
  }
  setenv("PATH", Path("bin-none").c_str(), 1);
  const Status missing = transport->Deliver(kLabel, nullptr);
  EXPECT_FALSE(missing);
  EXPECT_EQ(Utf8(missing.text), "没有找到 lp 命令，请安装 cups-client");
}

TEST_F(LabelTransportTest, InstalledQueuesAreListedOrWhyNotIsNamed) {
  struct Case {
    const char* lpstat;  // the fake client's body; null: none installed
    const char* names;   // the queues found, joined with '|'
    const char* reason;  // the start of why not
  } cases[] = {
      {"printf 'Label_Queue\\nOffice\\r\\n\\nbad name\\n'", "Label_Queue|Office", ""},
      {"exit 0", "", ""},  // nothing installed
      // More than a pipe holds before the names: read while it runs.
      {"head -c 300000 /dev/zero | tr '\\0' ' '; echo; echo Last", "Last", ""},
      {"echo 'lpstat: Scheduler is not running.' >&2; exit 1", "",
       "打印服务没有列出打印队列：lpstat: Scheduler is not running."},
      {"exec sleep 30", "", "打印服务没有及时回应"},
      {nullptr, "", "没有找到 lpstat 命令"},
  };
  for (const Case& c : cases) {
    if (c.lpstat) {
      FakeTool("lpstat", c.lpstat);
    } else {
      setenv("PATH", Path("bin-none").c_str(), 1);
    }
    const PrinterQueues queues = ListPrinterQueues(500, nullptr);
    const char* tool = c.lpstat ? c.lpstat : "(no lpstat)";
    std::string names;
    for (const String& name : queues.names) names += (names.empty() ? "" : "|") + Utf8(name);
    EXPECT_EQ(names, c.names) << tool;
    EXPECT_EQ(queues.status.ok, *c.reason == 0) << tool;
    EXPECT_EQ(Utf8(queues.status.text).rfind(c.reason, 0), 0u)
        << tool << ": " << Utf8(queues.status.text);
  }
}

// The waits are long here: only the abort can end them in time.
TEST_F(LabelTransportTest, AbortEndsADeliveryThatWouldOtherwiseHangForAMinute) {
  constexpr LabelTimeouts kLong{60000, 60000, 60000};
  peers::FullQueue hung;
  peers::Peer neverReads(peers::Peer::kNeverRead);
  FakeLp("exec sleep 60");
  for (const std::string& device :
       {Tcp(hung.Port()), Tcp(neverReads.Port()), std::string("cups:q")}) {
    LabelDelivery delivery(OpenLabelTransport(Utf8(device), kLong));
    std::promise<std::string> done;
    ASSERT_TRUE(delivery.Submit(kLabel, [&](bool delivered, const String& error) {
      done.set_value((delivered ? "delivered " : "") + Utf8(error));
    }));
    EXPECT_TRUE(delivery.Busy());
    EXPECT_FALSE(delivery.Submit(kLabel, nullptr)) << "one label at a time";
    // Far below the minute the destination would hold a delivery that ignores the abort.
    auto aborting = std::async(std::launch::async, [&] { delivery.Abort(); });
    ASSERT_EQ(aborting.wait_for(std::chrono::seconds(20)), std::future_status::ready) << device;
    auto result = done.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(0)), std::future_status::ready)
        << "Abort returns only after the worker let go: " << device;
    EXPECT_EQ(result.get(), "已停止") << device;
  }
}

}  // namespace

#include "upload/tcp_upload.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <mutex>

#include "device/frame_builder.h"
#include "device/record_hash.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "upload/tcp_protocol.h"

namespace {

class RecordingHost : public UploadHost {
 public:
  void ShowUploadReply(uint64_t serial, const String&, const String& text, bool accepted) override {
    std::lock_guard<std::mutex> lock(mutex);
    replies.push_back(std::to_string(serial) + " " + text.ToBytes(cp::kUtf8) +
                      (accepted ? " +" : ""));
  }
  void ShowUploadMessage(const String& text, bool error) override {
    std::lock_guard<std::mutex> lock(mutex);
    messages.push_back((error ? "error: " : "") + text.ToBytes(cp::kUtf8));
  }
  std::mutex mutex;
  std::vector<std::string> replies, messages;
};

UploadRecord Record(uint64_t serial, const char16_t* time) {
  FrameFields f;
  f.time = time;
  UploadRecord r;
  r.serial = serial;
  r.key = time;
  r.data = String::FromBytes(BuildFrame(f).substr(3), cp::kGbk);
  r.uid = ComputeRecordHash(r.data, u"0123456789ABCDEF");
  return r;
}

std::string Uid(const UploadRecord& r) { return r.uid.ToBytes(cp::kUtf8); }

std::string UidOfHeaderId(const std::string& frame, const std::string& id) {
  return ComputeRecordHash(String::FromBytes(frame.substr(3), cp::kGbk),
                           String::FromBytes(id, cp::kUtf8))
      .ToBytes(cp::kUtf8);
}

TcpUploadSettings Settings(int port) {
  TcpUploadSettings s;
  s.host = u"127.0.0.1";
  s.port = static_cast<uint16_t>(port);
  String(u"0123456789ABCDEF").HexToBytes(s.deviceId, 8);
  return s;
}

TEST(TcpProtocolTest, HeaderCarriesTheDeviceIdDigitPairs) {
  struct Case {
    const char16_t* id;
    uint32_t bytes;
  } cases[] = {{u"0123456789abcdef", 8},
               {u"0123-4567-89AB-CDEF", 8},
               {u"0123456789ABCDE", 7},
               {u"0123456789ABCDEF7", 8}};
  for (const Case& c : cases) {
    uint8_t id[8] = {};
    EXPECT_EQ(String(c.id).HexToBytes(id, 8), c.bytes);
    if (c.bytes == 8) {
      EXPECT_EQ(BuildUploadHeader(id), std::string("\x26\xAF\x01\x23\x45\x67\x89\xAB\xCD\xEF", 10));
    }
  }
  std::string frame;
  EXPECT_TRUE(BuildUploadFrame(Record(1, u"190305151604").data, frame));
  EXPECT_EQ(frame.size(), 179u);
  EXPECT_FALSE(BuildUploadFrame(u"too short", frame));
}

TEST(TcpProtocolTest, RepliesAreCutAtLineFeedsInAHundredTwentyEightByteBuffer) {
  ReplyLineBuffer buffer;
  EXPECT_EQ(buffer.Add("a:ok\nb:no\n", 10), (std::vector<std::string>{"a:ok", "b:no"}));
  EXPECT_TRUE(buffer.Add("c:o", 3).empty());
  EXPECT_EQ(buffer.Add("k\r\n", 3), std::vector<std::string>{"c:ok\r"});
  EXPECT_EQ(buffer.Room(), 128u);
  buffer.Add(std::string(127, 'x').data(), 127);
  EXPECT_FALSE(buffer.Overflowed());
  buffer.Add("y", 1);
  EXPECT_TRUE(buffer.Overflowed());

  SentRecords sent;
  sent.Add(u"AB", 0);
  sent.Add(u"AB", 1);  // the same uid again: the first sent wins
  EXPECT_EQ(sent.Find(u"AB"), 0);
  EXPECT_EQ(sent.Find(u"ab"), -1);
  String uid, status;
  EXPECT_FALSE(SplitReplyLine("", uid, status));
  EXPECT_FALSE(SplitReplyLine("no colon", uid, status));
  EXPECT_TRUE(SplitReplyLine("AB:ok:x", uid, status));
  EXPECT_TRUE(uid == u"AB" && status == u"ok:x");
}

std::vector<UploadRecord> Records(int count) {
  std::vector<UploadRecord> records;
  for (int i = 0; i < count; ++i) {
    String time;
    time.Format(u"1903051516%02d", i);
    records.push_back(Record(static_cast<uint64_t>(i + 1), time.Handle()));
  }
  return records;
}

// Runs the upload on a thread of its own; a test that would hang without the
// behaviour under test fails after `seconds` instead (the peers hang longer).
std::string RunBounded(const TcpUploadSettings& s, const std::vector<UploadRecord>& records,
                       RecordingHost& host, UploadAbort& abort, int seconds = 20) {
  auto run = std::async(std::launch::async, [&] { RunTcpUpload(s, records, host, abort); });
  if (run.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
    abort.Request();
    run.wait();
    return "still running";
  }
  return "ended";
}

TEST(TcpUploadTest, FramesGoInOrderAndEachReplyUpdatesItsRecord) {
  const std::vector<UploadRecord> records = {
      Record(11, u"190305151604"), Record(12, u"190305151605"), Record(13, u"190305151606"),
      Record(14, u"190305151607"), Record(15, u"190305151608")};
  LoopbackServer server;
  std::string header;
  std::vector<std::string> keys;
  server.Start([&](int fd) {
    header = LoopbackServer::Read(fd, 10);
    for (int i = 0; i < 5; ++i) keys.push_back(LoopbackServer::Read(fd, 179).substr(3, 12));
    // Two replies in one send, one split over two sends, CR LF, lower case, "OK".
    LoopbackServer::Send(fd, Uid(records[0]) + ":ok\n" + Uid(records[1]) + ":ok\r\n");
    LoopbackServer::Send(fd, Uid(records[2]).substr(0, 20));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    LoopbackServer::Send(fd, Uid(records[2]).substr(20) + ":ok\n");
    std::string lower = Uid(records[3]);
    for (char& c : lower) c = static_cast<char>(std::tolower(c));
    LoopbackServer::Send(fd, lower + ":ok\n" + Uid(records[4]) + ":OK\n");
  });
  RecordingHost host;
  UploadAbort abort;
  RunTcpUpload(Settings(server.Port()), records, host, abort);
  server.Join();
  EXPECT_EQ(header, std::string("\x26\xAF\x01\x23\x45\x67\x89\xAB\xCD\xEF", 10));
  EXPECT_EQ(keys, (std::vector<std::string>{"190305151604", "190305151605", "190305151606",
                                            "190305151607", "190305151608"}));
  EXPECT_EQ(host.replies,
            (std::vector<std::string>{"11 已上传 +", "12 ok\r", "13 已上传 +", "15 OK"}));
  // The lower-case line matched no record; the server then closed.
  EXPECT_EQ(host.messages,
            std::vector<std::string>{"已成功上传 2 条数据!\n1 条数据没有收到服务器回复"});
}

TEST(TcpUploadTest, OnlyTheFirstAnswerForARecordSentCounts) {
  const std::vector<UploadRecord> records = Records(10);
  std::vector<UploadRecord> strangers = Records(40);
  strangers.erase(strangers.begin(), strangers.begin() + 10);  // 30 uids never sent
  struct Case {
    const char* what;
    std::function<std::string()> replies;
    std::string report;
    size_t shown;  // replies passed to the window
  } cases[] = {
      {"every record answered twice",
       [&] {
         std::string out;
         for (const UploadRecord& r : records) out += Uid(r) + ":ok\n" + Uid(r) + ":ok\n";
         return out;
       },
       "已成功上传 10 条数据!", 10},
      {"30 answers for uids never sent come first",
       [&] {
         std::string out;
         for (const UploadRecord& r : strangers) out += Uid(r) + ":ok\n";
         for (const UploadRecord& r : records) out += Uid(r) + ":ok\n";
         return out;
       },
       "已成功上传 10 条数据!", 10},
      {"a refusal, then an ok for the same record",
       [&] {
         std::string out = Uid(records[0]) + ":full\n" + Uid(records[0]) + ":ok\n";
         for (size_t i = 1; i < records.size(); ++i) out += Uid(records[i]) + ":ok\n";
         return out;
       },
       "已成功上传 9 条数据!", 10},
  };
  for (const Case& c : cases) {
    LoopbackServer server;
    server.Start([&](int fd) {
      LoopbackServer::Read(fd, 10 + 10 * 179);
      // Line by line, so the client may think it is done early.
      const std::string all = c.replies();
      for (size_t at = 0; at < all.size();) {
        const size_t end = all.find('\n', at) + 1;
        LoopbackServer::Send(fd, all.substr(at, end - at));
        at = end;
      }
      LoopbackServer::Read(fd, 1);  // open until the client is done
    });
    RecordingHost host;
    UploadAbort abort;
    TcpUploadSettings s = Settings(server.Port());
    s.idleTimeoutMs = 60000;  // only counting the answers right ends this in time
    EXPECT_EQ(RunBounded(s, records, host, abort), "ended") << c.what;
    server.Join();
    EXPECT_EQ(host.messages, std::vector<std::string>{c.report}) << c.what;
    EXPECT_EQ(host.replies.size(), c.shown) << c.what;
  }
}

TEST(TcpUploadTest, RecordsOfSeveralDeviceIdsGoUnderTheirOwnHeaders) {
  std::vector<UploadRecord> records = Records(5);
  const char16_t* ids[] = {u"0123456789ABCDEF", u"FEDCBA9876543210"};
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].deviceId = ids[i % 2];
    records[i].uid = ComputeRecordHash(records[i].data, records[i].deviceId);
  }
  LoopbackServer server;
  std::mutex seenLock;
  std::vector<std::string> seen;  // per connection: the header's ID and the keys sent
  server.Start(
      [&](int fd) {
        String id;
        const std::string header = LoopbackServer::Read(fd, 10);
        std::string line;
        for (size_t i = 2; i < header.size(); ++i) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(header[i]));
          line += hex;
        }
        const int frames = line == "0123456789ABCDEF" ? 3 : 2;
        for (int i = 0; i < frames; ++i) {
          const std::string frame = LoopbackServer::Read(fd, 179);
          line += " " + frame.substr(3, 12);
          // The server makes the uid from the header's ID, as a real one does.
          LoopbackServer::Send(fd, UidOfHeaderId(frame, line.substr(0, 16)) + ":ok\n");
        }
        std::lock_guard<std::mutex> lock(seenLock);
        seen.push_back(line);
      },
      2);
  RecordingHost host;
  UploadAbort abort;
  EXPECT_EQ(RunBounded(Settings(server.Port()), records, host, abort), "ended");
  server.Join();
  EXPECT_EQ(seen,
            (std::vector<std::string>{"0123456789ABCDEF 190305151600 190305151602 190305151604",
                                      "FEDCBA9876543210 190305151601 190305151603"}));
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 5 条数据!"});
}

TEST(TcpUploadTest, ReportCountsOnlyWhatTheServerConfirmed) {
  struct Case {
    int accepted, unanswered;
    const char* report;
  } cases[] = {
      {0, 0, "已成功上传 0 条数据!"},
      {300, 0, "已成功上传 300 条数据!"},
      {165, 135, "已成功上传 165 条数据!\n135 条数据没有收到服务器回复"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UploadReport(c.accepted, c.unanswered).ToBytes(cp::kUtf8), c.report);
}

TEST(TcpUploadTest, NoRecordsSendTheHeaderAndReportAtOnce) {
  LoopbackServer server;
  std::string header;
  server.Start(
      [&](int fd) { header = LoopbackServer::Read(fd, 64); });  // open until the client closes
  RecordingHost host;
  UploadAbort abort;
  TcpUploadSettings s = Settings(server.Port());
  s.idleTimeoutMs = 60000;  // a silent server: only "nothing to wait for" ends this in time
  EXPECT_EQ(RunBounded(s, {}, host, abort), "ended");
  server.Join();
  EXPECT_EQ(header.size(), 10u);
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 0 条数据!"});
}

TEST(TcpUploadTest, ServersThatFailOrFallSilentAreReportedWithWhatTheyConfirmed) {
  const std::vector<UploadRecord> two = Records(2);
  struct Case {
    const char* what;
    std::function<void(int)> serve;
    std::vector<std::string> messages;
  } cases[] = {
      {"silent",
       [](int fd) { LoopbackServer::Read(fd, 10 + 2 * 179 + 1); },
       {"已成功上传 0 条数据!\n2 条数据没有收到服务器回复"}},
      {"closes mid-reply",
       [&](int fd) {
         LoopbackServer::Read(fd, 10 + 2 * 179);
         LoopbackServer::Send(fd, Uid(two[0]) + ":ok\n" + Uid(two[1]).substr(0, 10));
       },
       {"已成功上传 1 条数据!\n1 条数据没有收到服务器回复"}},
      {"resets",
       [&](int fd) {
         LoopbackServer::Read(fd, 10 + 179);
         LoopbackServer::Send(fd, Uid(two[0]) + ":ok\n");
         std::this_thread::sleep_for(std::chrono::milliseconds(50));
         LoopbackServer::ResetAtClose() = true;
       },
       {"已成功上传 1 条数据!\n1 条数据没有收到服务器回复"}},
      {"no line end",
       [](int fd) {
         LoopbackServer::Read(fd, 10 + 179);
         LoopbackServer::Send(fd, std::string(128, 'x'));
         LoopbackServer::Read(fd, 1);
       },
       {"error: Server return error content", "已成功上传 0 条数据!\n2 条数据没有收到服务器回复"}},
  };
  for (const Case& c : cases) {
    LoopbackServer server;
    server.Start(c.serve);
    RecordingHost host;
    UploadAbort abort;
    TcpUploadSettings s = Settings(server.Port());
    s.idleTimeoutMs = 300;
    EXPECT_EQ(RunBounded(s, two, host, abort), "ended") << c.what;
    server.Join();
    EXPECT_EQ(host.messages, c.messages) << c.what;
  }

  int refusedPort;
  {
    LoopbackServer closed;
    refusedPort = closed.Port();
  }
  RecordingHost refused;
  UploadAbort abort;
  RunTcpUpload(Settings(refusedPort), two, refused, abort);
  EXPECT_EQ(refused.messages, std::vector<std::string>{"error: 无法连接服务器: 127.0.0.1:" +
                                                       std::to_string(refusedPort)});
  RecordingHost unresolved;
  TcpUploadSettings s = Settings(refusedPort);
  s.host = u"no-such-server.invalid";
  RunTcpUpload(s, two, unresolved, abort);
  EXPECT_EQ(unresolved.messages, std::vector<std::string>{"error: 无法解析服务器网址"});
}

// The server answers every frame, but all together take far longer than the
// idle time-out: each answer restarts the wait, so every record counts.
TEST(TcpUploadTest, ASlowServerThatKeepsAnsweringIsWaitedForToTheLastReply) {
  const std::vector<UploadRecord> records = Records(30);
  LoopbackServer server;
  server.Start([&](int fd) {
    LoopbackServer::Read(fd, 10 + 30 * 179);
    for (const UploadRecord& r : records) {
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
      LoopbackServer::Send(fd, Uid(r) + ":ok\n");
    }
    LoopbackServer::Read(fd, 1);
  });
  RecordingHost host;
  UploadAbort abort;
  TcpUploadSettings s = Settings(server.Port());
  s.idleTimeoutMs = 600;  // half of all the answers' time, fifteen times one gap
  RunTcpUpload(s, records, host, abort);
  server.Join();
  EXPECT_EQ(host.replies.size(), 30u);
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 30 条数据!"});
}

// The operator's stop: no frame after it, and the replies to the frames sent
// still count.
TEST(TcpUploadTest, StopSendsNoFurtherFrameButStillCollectsReplies) {
  const std::vector<UploadRecord> records = Records(20);
  class StoppingHost : public RecordingHost {
   public:
    void ShowUploadProgress(int sent, int) override {
      if (sent == 3) abort.RequestStop();
    }
    UploadAbort abort;
  } host;
  LoopbackServer server;
  int frames = 0;
  server.Start([&](int fd) {
    LoopbackServer::Read(fd, 10);
    for (std::string frame; (frame = LoopbackServer::Read(fd, 179)).size() == 179; ++frames) {
      LoopbackServer::Send(fd, Uid(records[frames]) + ":ok\n");
    }
  });
  TcpUploadSettings s = Settings(server.Port());
  s.idleTimeoutMs = 60000;
  EXPECT_EQ(RunBounded(s, records, host, host.abort), "ended");
  server.Join();
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 3 条数据!"});
}

TEST(TcpUploadTest, StopWhileConnectingSendsNothingAndReportsNothingUploaded) {
  peers::FullQueue hung;
  RecordingHost host;
  UploadAbort abort;
  TcpUploadSettings s = Settings(hung.Port());
  s.connectTimeoutMs = 60000;
  std::thread stopping([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    abort.RequestStop();
  });
  EXPECT_EQ(RunBounded(s, Records(2), host, abort), "ended");
  stopping.join();
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 0 条数据!"});
}

// Closing the window: every wait gives up, whatever the server does, and
// nothing is reported.
TEST(TcpUploadTest, AbortEndsAHungConnectOrReplyWaitWithoutAReport) {
  peers::FullQueue hung;
  LoopbackServer silent;
  silent.Start([&](int fd) { LoopbackServer::Read(fd, 10 + 179 + 1); });
  for (int port : {hung.Port(), silent.Port()}) {
    RecordingHost host;
    UploadAbort abort;
    TcpUploadSettings s = Settings(port);
    s.connectTimeoutMs = s.idleTimeoutMs = 60000;
    std::thread closing([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      abort.Request();
    });
    EXPECT_EQ(RunBounded(s, Records(1), host, abort), "ended") << port;
    closing.join();
    EXPECT_TRUE(host.messages.empty()) << port;
  }
}

}  // namespace

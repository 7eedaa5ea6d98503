#include "upload/tcp_upload.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "device/frame_builder.h"
#include "device/record_hash.h"
#include "tests/support/loopback_server.h"
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
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 2 条数据!"});
}

TEST(TcpUploadTest, NoRecordsStillSendsTheHeaderAndFailuresAreReported) {
  LoopbackServer server;
  std::string header;
  server.Start([&](int fd) { header = LoopbackServer::Read(fd, 64); });
  RecordingHost host;
  UploadAbort abort;
  RunTcpUpload(Settings(server.Port()), {}, host, abort);
  server.Join();
  EXPECT_EQ(header.size(), 10u);
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 0 条数据!"});

  LoopbackServer overlong;
  overlong.Start([&](int fd) {
    LoopbackServer::Read(fd, 10 + 179);
    LoopbackServer::Send(fd, std::string(128, 'x'));
    LoopbackServer::Read(fd, 1);
  });
  RecordingHost host2;
  RunTcpUpload(Settings(overlong.Port()), {Record(1, u"190305151604")}, host2, abort);
  overlong.Join();
  EXPECT_EQ(host2.messages, (std::vector<std::string>{"error: Server return error content",
                                                      "已成功上传 0 条数据!"}));

  int refusedPort;
  {
    LoopbackServer closed;
    refusedPort = closed.Port();
  }
  RecordingHost host3;
  RunTcpUpload(Settings(refusedPort), {Record(1, u"190305151604")}, host3, abort);
  EXPECT_EQ(host3.messages, std::vector<std::string>{"error: 无法连接服务器: 127.0.0.1:" +
                                                     std::to_string(refusedPort)});
}

TEST(TcpUploadTest, SilentServerIsWaitedForFiveSecondsOnce) {
  LoopbackServer server;
  server.Start([&](int fd) { LoopbackServer::Read(fd, 10 + 2 * 179 + 1); });
  RecordingHost host;
  UploadAbort abort;
  const auto start = std::chrono::steady_clock::now();
  RunTcpUpload(Settings(server.Port()), {Record(1, u"190305151604"), Record(2, u"190305151605")},
               host, abort);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  server.Join();
  EXPECT_GE(seconds, 4.5);
  EXPECT_LT(seconds, 7.0);
  EXPECT_EQ(host.messages, std::vector<std::string>{"已成功上传 0 条数据!"});
}

TEST(TcpUploadTest, AbortEndsAWaitingUploadAtOnceWithoutAReport) {
  LoopbackServer server;
  server.Start([&](int fd) { LoopbackServer::Read(fd, 10 + 179 + 1); });
  RecordingHost host;
  UploadAbort abort;
  std::thread closing([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    abort.Request();
  });
  const auto start = std::chrono::steady_clock::now();
  RunTcpUpload(Settings(server.Port()), {Record(1, u"190305151604")}, host, abort);
  closing.join();
  server.Join();
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 2.0);
  EXPECT_TRUE(host.messages.empty());
}

}  // namespace

// The outbox: queued records go out in order, each accepted one is flagged
// before it leaves the queue, and nothing is lost or sent twice when the
// server is down, drops the connection, refuses a record, or the program
// starts again.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

#include "device/frame_builder.h"
#include "device/record_hash.h"
#include "store/record_store.h"
#include "tests/support/loopback_server.h"
#include "tests/support/misbehaving_peers.h"
#include "tests/support/no_proxy.h"
#include "tests/support/temp_dir.h"
#include "upload/outbox_sender.h"
#include "upload/outbox_worker.h"

namespace {

constexpr const char16_t* kStation = u"0123456789ABCDEF";

// A TCP inspection server run by a script: for each frame it receives (counted
// over all connections) it answers "ok", answers a refusal, or drops the
// connection without answering.
class ScriptedServer {
 public:
  enum Answer { kOk, kRefuse, kDrop };
  explicit ScriptedServer(std::function<Answer(int frame)> script, int connections)
      : script_(std::move(script)) {
    server_.Start(
        [this](int fd) {
          const std::string header = LoopbackServer::Read(fd, 10);
          if (header.size() < 10) return;
          const String id = String::FromBytes(HexOf(header.substr(2)), cp::kUtf8);
          for (;;) {
            const std::string frame = LoopbackServer::Read(fd, 179);
            if (frame.size() < 179) return;
            const std::string uid =
                ComputeRecordHash(String::FromBytes(frame.substr(3), cp::kGbk), id)
                    .ToBytes(cp::kUtf8);
            std::lock_guard<std::mutex> hold(lock_);
            const Answer answer = script_(frames_++);
            if (answer == kDrop) return;
            received_.push_back(frame.substr(3, 12));  // the test time
            LoopbackServer::Send(fd, uid + (answer == kOk ? ":ok\n" : ":duplicate record\n"));
          }
        },
        connections);
  }
  int Port() const { return server_.Port(); }
  void Join() { server_.Join(); }
  std::vector<std::string> Received() {
    std::lock_guard<std::mutex> hold(lock_);
    return received_;
  }

 private:
  static std::string HexOf(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char b : bytes) hex += std::string{digits[b >> 4], digits[b & 15]};
    return hex;
  }
  std::function<Answer(int)> script_;
  LoopbackServer server_;
  std::mutex lock_;
  int frames_ = 0;
  std::vector<std::string> received_;
};

class OutboxTest : public TempDirTest {
 protected:
  // Stores `count` records (test times ...0001 up) and queues them.
  std::vector<String> StoreAndQueue(RecordDb& db, Outbox& outbox, int count) {
    std::vector<String> keys;
    for (int i = 1; i <= count; ++i) {
      FrameFields f;
      char time[32];
      std::snprintf(time, sizeof time, "2612070900%02d", i);
      f.time = String::FromBytes(time, cp::kUtf8);
      const StoredRecord stored = StoreReceivedRecord(
          db, f.time, String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), true, kStation);
      EXPECT_TRUE(stored.status);
      keys.push_back(stored.key);
    }
    EXPECT_TRUE(outbox.Add(keys, u"2026-12-07 09:00:00"));
    return keys;
  }
  UploadTarget Tcp(int port) {
    UploadTarget target;
    target.tcpSettings.host = u"127.0.0.1";
    target.tcpSettings.port = static_cast<uint16_t>(port);
    target.tcpSettings.connectTimeoutMs = 2000;
    target.tcpSettings.idleTimeoutMs = 1000;
    String(kStation).HexToBytes(target.tcpSettings.deviceId, 8);
    return target;
  }
  static bool Uploaded(RecordDb& db, const String& key) {
    Json doc;
    return db.GetJson(key, doc) && doc.PropertyBool(u"uploaded", false);
  }
};

TEST_F(OutboxTest, EveryRecordArrivesOnceInOrderWhateverTheServerDoes) {
  struct Case {
    const char* what;
    std::function<ScriptedServer::Answer(int)> script;
    int connections;
    int rounds;             // rounds run while the server serves
    int accepted, refused;  // in the end
    std::string received;   // the seconds of the test times the server took, in order
  } cases[] = {
      {"all accepted", [](int) { return ScriptedServer::kOk; }, 1, 1, 4, 0, "01 02 03 04"},
      {"dropped after two",
       [](int f) { return f == 2 ? ScriptedServer::kDrop : ScriptedServer::kOk; }, 2, 2, 4, 0,
       "01 02 03 04"},
      {"one refused", [](int f) { return f == 1 ? ScriptedServer::kRefuse : ScriptedServer::kOk; },
       1, 1, 3, 1, "01 02 03 04"},
  };
  for (const Case& c : cases) {
    const std::string folder = Path(c.what);
    RecordDb db(folder);
    std::vector<String> keys;
    {
      Outbox outbox(Outbox::FolderFor(folder));
      keys = StoreAndQueue(db, outbox, 4);
    }
    // Reopened, as after a restart: the queue is read back from disk.
    Outbox outbox(Outbox::FolderFor(folder));
    ASSERT_EQ(outbox.Count(), 4u) << c.what;
    ScriptedServer server(c.script, c.connections);
    DatabaseFlagStore flags(db);
    UploadAbort abort;
    int accepted = 0, refused = 0;
    for (int r = 0; r < c.rounds; ++r) {
      const OutboxRound round =
          SendOutboxRound(outbox, db, kStation, Tcp(server.Port()), 100, flags, abort);
      accepted += round.accepted;
      refused += round.rejected;
      EXPECT_EQ(round.retry, r + 1 < c.rounds) << c.what << " round " << r;
    }
    server.Join();
    EXPECT_EQ(accepted, c.accepted) << c.what;
    EXPECT_EQ(refused, c.refused) << c.what;
    EXPECT_EQ(outbox.Count(), 0u) << c.what << ": nothing left queued";
    std::string received;
    for (const std::string& time : server.Received()) {
      received += (received.empty() ? "" : " ") + time.substr(10, 2);
    }
    EXPECT_EQ(received, c.received) << c.what;
    for (size_t i = 0; i < keys.size(); ++i) {
      const bool refusedHere = c.refused && i == 1;
      EXPECT_EQ(Uploaded(db, keys[i]), !refusedHere) << c.what << " record " << i;
    }
    if (c.refused) {
      const auto rejections = outbox.Rejections();
      ASSERT_EQ(rejections.size(), 1u);
      EXPECT_EQ(rejections.begin()->second.ToBytes(cp::kUtf8), "duplicate record");
    }
  }
}

TEST_F(OutboxTest, ADownServerKeepsTheQueueAndTheRetryPausesGrow) {
  RecordDb db(Path("storage"));
  Outbox outbox(Outbox::FolderFor(Path("storage")));
  const std::vector<String> keys = StoreAndQueue(db, outbox, 3);
  const int closed = peers::ClosedPort();
  DatabaseFlagStore flags(db);
  UploadAbort abort;
  const OutboxRound down = SendOutboxRound(outbox, db, kStation, Tcp(closed), 100, flags, abort);
  EXPECT_TRUE(down.retry);
  EXPECT_EQ(down.accepted, 0);
  EXPECT_NE(down.failure.ToBytes(cp::kUtf8).find("无法连接服务器"), std::string::npos)
      << down.failure.ToBytes(cp::kUtf8);
  EXPECT_EQ(outbox.Count(), 3u);
  for (const String& key : keys) EXPECT_FALSE(Uploaded(db, key));

  // Accepted and flagged, but the program stopped before the queue forgot it:
  // the next round takes it out without sending it again.
  ASSERT_TRUE(SetRecordsUploaded(db, {keys[0]}));
  // Deleted meanwhile: taken out too.
  ASSERT_TRUE(db.Delete(keys[1]));
  ScriptedServer server([](int) { return ScriptedServer::kOk; }, 1);
  const OutboxRound up =
      SendOutboxRound(outbox, db, kStation, Tcp(server.Port()), 100, flags, abort);
  server.Join();
  EXPECT_EQ(up.gone, 2);
  EXPECT_EQ(up.accepted, 1);
  EXPECT_EQ(server.Received().size(), 1u);
  EXPECT_EQ(outbox.Count(), 0u);

  const int delays[] = {RetryDelayMs(1), RetryDelayMs(2), RetryDelayMs(3), RetryDelayMs(7),
                        RetryDelayMs(50)};
  EXPECT_EQ(std::vector<int>(delays, delays + 5),
            (std::vector<int>{5000, 10000, 20000, 300000, 300000}));
}

// Over HTTP a round is one post: a 2xx answer holding the agreed text
// accepts every record of it; one without leaves them queued for a retry.
TEST_F(OutboxTest, AnHttpRoundIsAcceptedOnlyByAnAnswerWithTheAgreedText) {
  UseNoProxy();
  RecordDb db(Path("storage"));
  Outbox outbox(Outbox::FolderFor(Path("storage")));
  const std::vector<String> keys = StoreAndQueue(db, outbox, 3);
  for (const char* body : {"{\"code\":17}", "{\"code\":0}"}) {
    LoopbackServer server;
    server.Start([body](int fd) {
      LoopbackServer::ReadHttpRequest(fd);
      LoopbackServer::Send(fd, "HTTP/1.0 200 OK\r\nContent-Length: " +
                                   std::to_string(std::strlen(body)) + "\r\n\r\n" + body);
    });
    UploadTarget target;
    target.tcp = false;
    target.httpSettings.url =
        String::FromBytes("http://127.0.0.1:" + std::to_string(server.Port()) + "/up", cp::kUtf8);
    target.httpSettings.okText = u"\"code\":0";
    DatabaseFlagStore flags(db);
    UploadAbort abort;
    const OutboxRound round = SendOutboxRound(outbox, db, kStation, target, 100, flags, abort);
    server.Join();
    const bool accepted = std::string(body) == "{\"code\":0}";
    EXPECT_EQ(round.retry, !accepted) << body;
    EXPECT_EQ(round.accepted, accepted ? 3 : 0) << body;
    EXPECT_EQ(outbox.Count(), accepted ? 0u : 3u) << body;
    EXPECT_EQ(Uploaded(db, keys[2]), accepted) << body;
  }
}

// The worker: drains by itself, starts no round while paused (a manual upload
// runs), says why it failed and when it tries again, and stops at once even
// while a server holds its round.
TEST_F(OutboxTest, TheWorkerDrainsPausesRetriesAndStopsAtOnce) {
  RecordDb db(Path("storage"));
  Outbox outbox(Outbox::FolderFor(Path("storage")));
  DatabaseFlagStore flags(db);
  ScriptedServer server([](int) { return ScriptedServer::kOk; }, 2);
  std::atomic<int> rounds{0};
  OutboxWorker worker(outbox, db, flags, [&] { ++rounds; });
  worker.Configure(true, Tcp(server.Port()), kStation);
  StoreAndQueue(db, outbox, 2);
  worker.Wake();
  const auto waitFor = [](const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done() && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
  };
  ASSERT_TRUE(waitFor([&] { return outbox.Count() == 0; }));
  worker.SetPaused(true);
  FrameFields f;
  f.time = u"261207100000";
  const StoredRecord third = StoreReceivedRecord(
      db, f.time, String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), true, kStation);
  ASSERT_TRUE(outbox.Add({third.key}, u"2026-12-07 10:00:00"));
  worker.Wake();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(outbox.Count(), 1u) << "no round while paused";
  worker.SetPaused(false);
  ASSERT_TRUE(waitFor([&] { return outbox.Count() == 0; }));
  server.Join();
  EXPECT_EQ(server.Received().size(), 3u);

  // Nobody listens: the failure is kept with the pause before the next try.
  const int closed = peers::ClosedPort();
  f.time = u"261207100001";
  const StoredRecord fourth = StoreReceivedRecord(
      db, f.time, String::FromBytes(BuildFrame(f).substr(3), cp::kGbk), true, kStation);
  ASSERT_TRUE(outbox.Add({fourth.key}, u"2026-12-07 10:00:01"));
  const int before = rounds;
  worker.Configure(true, Tcp(closed), kStation);
  worker.Wake();
  ASSERT_TRUE(waitFor([&] { return rounds > before && !worker.GetState().failure.IsEmpty(); }));
  const OutboxWorker::State failed = worker.GetState();
  // On a loaded machine the explicit wake may have run a second round before
  // the state was read: each failed round doubles the pause.
  const int failedRounds = rounds - before;
  EXPECT_EQ(failed.queued, 1u);
  EXPECT_GT(failed.retryInMs, 3000);
  EXPECT_LE(failed.retryInMs, 5000 << (failedRounds - 1)) << failedRounds << " failed rounds";

  // A server that takes the connection and never reads: Stop does not wait for it.
  peers::Peer neverReads(peers::Peer::kNeverRead);
  UploadTarget held = Tcp(neverReads.Port());
  held.tcpSettings.connectTimeoutMs = 60000;
  held.tcpSettings.idleTimeoutMs = 60000;
  worker.Configure(true, held, kStation);
  worker.Wake();
  ASSERT_TRUE(waitFor([&] { return worker.GetState().sending; }));
  const auto start = std::chrono::steady_clock::now();
  worker.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(outbox.Count(), 1u);
}

#ifndef _WIN32
// The sender is a forked child killed with SIGKILL: POSIX only.
// The sending process killed at random moments while it drains: afterwards
// every record is either flagged and received, or still queued (or both:
// accepted, flagged, and its queue entry not yet gone); none is flagged that
// the server never took, none is lost.
TEST_F(OutboxTest, KilledWhileDrainingLosesNothing) {
  std::mt19937 random(20261207);
  int cutShort = 0;  // runs killed with part of the queue sent
  for (int run = 0; run < 6; ++run) {
    const std::string folder = Path("kill" + std::to_string(run));
    std::vector<String> keys;
    {
      RecordDb db(folder);
      Outbox outbox(Outbox::FolderFor(folder));
      keys = StoreAndQueue(db, outbox, 40);
    }
    ScriptedServer server([](int) { return ScriptedServer::kOk; }, 1000);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Opened after the fork: the database's threads are the child's own.
      RecordDb db(folder);
      Outbox outbox(Outbox::FolderFor(folder));
      DatabaseFlagStore flags(db);
      UploadAbort abort;
      while (outbox.Count() > 0) {
        (void)SendOutboxRound(outbox, db, kStation, Tcp(server.Port()), 3, flags, abort);
      }
      ::_exit(0);
    }
    // Killed once the server has taken a random part of the queue, somewhere
    // in a round: sending, flagging or taking entries out.
    const size_t part = 1 + random() % 38;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (server.Received().size() < part && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::vector<std::string> received = server.Received();
    RecordDb db(folder);
    Outbox outbox(Outbox::FolderFor(folder));
    cutShort += !received.empty() && outbox.Count() > 0 ? 1 : 0;
    for (size_t i = 0; i < keys.size(); ++i) {
      const std::string time = keys[i].ToBytes(cp::kUtf8);
      const bool got = std::find(received.begin(), received.end(), time) != received.end();
      const bool flagged = Uploaded(db, keys[i]);
      EXPECT_TRUE(flagged || outbox.Contains(keys[i])) << "run " << run << " lost " << time;
      EXPECT_TRUE(!flagged || got) << "run " << run << " flagged unsent " << time;
    }
    // A later run sends what is left and takes out what was flagged.
    DatabaseFlagStore flags(db);
    UploadAbort abort;
    while (outbox.Count() > 0) {
      const OutboxRound round =
          SendOutboxRound(outbox, db, kStation, Tcp(server.Port()), 100, flags, abort);
      ASSERT_FALSE(round.retry) << round.failure.ToBytes(cp::kUtf8);
    }
    for (const String& key : keys) EXPECT_TRUE(Uploaded(db, key));
  }
  EXPECT_GT(cutShort, 0) << "no kill came in the middle of the drain";
}

#endif  // _WIN32

}  // namespace

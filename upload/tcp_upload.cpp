#include "upload/tcp_upload.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/file_io.h"
#include "base/trace.h"
#include "upload/tcp_protocol.h"

namespace {

constexpr int kReplyTimeoutMs = 5000;
constexpr int kConnectTimeoutMs = 10000;

// A blocking connect that gives up after a while instead of the system's minutes.
bool Connect(int fd, const sockaddr_in& address) {
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (result != 0 && errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    if (::poll(&p, 1, kConnectTimeoutMs) == 1) {
      int error = 0;
      socklen_t length = sizeof error;
      ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
      result = error == 0 ? 0 : -1;
    }
  }
  ::fcntl(fd, F_SETFL, flags);
  return result == 0;
}

// The state the worker and the reply reader share; it outlives both.
struct Shared {
  Shared(const std::vector<UploadRecord>& r, UploadHost& h) : records(r), host(h) {}
  const std::vector<UploadRecord>& records;
  UploadHost& host;
  SentRecords sent;
  std::mutex mutex;
  std::condition_variable changed;
  bool sendingDone = false;
  bool readerDone = false;
  int accepted = 0;
};

bool HandleUploadReply(const std::string& line, Shared& shared) {
  String uid, status;
  if (!SplitReplyLine(line, uid, status)) return false;
  Trace(u"打印hash: %s", uid.Handle());
  const long index = shared.sent.Find(uid);
  if (index < 0) return false;
  const UploadRecord& record = shared.records[index];
  Trace(u"检测hash: %s", record.uid.Handle());
  const bool accepted = status == u"ok";
  shared.host.ShowUploadReply(record.serial, record.key, accepted ? String(u"已上传") : status,
                              accepted);
  return accepted;
}

void ReadReplies(int fd, Shared& shared) {
  ReplyLineBuffer buffer;
  size_t lines = 0;
  char chunk[ReplyLineBuffer::kCapacity];
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      if (shared.sendingDone && lines == shared.sent.Count()) break;
    }
    const ssize_t n = ::recv(fd, chunk, buffer.Room(), 0);
    if (n <= 0) break;  // closed, shut down, or 5 s without a byte
    TraceA("buf0: %.*s", static_cast<int>(n), chunk);
    int accepted = 0;
    const std::vector<std::string> received = buffer.Add(chunk, static_cast<size_t>(n));
    for (const std::string& line : received) {
      TraceA("buf: %s", line.c_str());
      if (HandleUploadReply(line, shared)) ++accepted;
    }
    lines += received.size();
    {
      std::lock_guard<std::mutex> lock(shared.mutex);
      shared.accepted += accepted;
    }
    if (buffer.Overflowed()) {
      shared.host.ShowUploadMessage(u"Server return error content", true);
      break;
    }
  }
  std::lock_guard<std::mutex> lock(shared.mutex);
  shared.readerDone = true;
  shared.changed.notify_all();
}

}  // namespace

void RunTcpUpload(const TcpUploadSettings& settings, const std::vector<UploadRecord>& records,
                  UploadHost& host, UploadAbort& abort) {
  const std::string header = BuildUploadHeader(settings.deviceId);
  const std::string hostName =
      settings.host.IsEmpty() ? "localhost" : settings.host.ToBytes(cp::kAnsi);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0 || !found) {
    host.ShowUploadMessage(u"无法解析服务器网址", true);
    return;
  }
  sockaddr_in address = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
  ::freeaddrinfo(found);
  address.sin_port = htons(settings.port);

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  timeval timeout{kReplyTimeoutMs / 1000, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  if (fd < 0 || !Connect(fd, address)) {
    char dotted[INET_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET, &address.sin_addr, dotted, sizeof dotted);
    String text;
    text.Format(u"无法连接服务器: %hs:%d", dotted, static_cast<int>(settings.port));
    host.ShowUploadMessage(text, true);
    if (fd >= 0) ::close(fd);
    return;
  }
  abort.Attach(fd);

  Shared shared(records, host);
  std::thread reader(ReadReplies, fd, std::ref(shared));
  WriteFully(fd, header, true);
  for (size_t i = 0; i < records.size() && !abort.Requested(); ++i) {
    std::string frame;
    if (!BuildUploadFrame(records[i].data, frame)) continue;
    shared.sent.Add(records[i].uid, i);  // findable before its reply can come
    WriteFully(fd, frame, true);
    TraceA("%s", frame.c_str());
  }
  int accepted;
  {
    std::unique_lock<std::mutex> lock(shared.mutex);
    shared.sendingDone = true;
    shared.changed.wait_for(lock, std::chrono::milliseconds(kReplyTimeoutMs),
                            [&] { return shared.readerDone; });
  }
  // The reader may still be inside a receive: end it and wait for it before
  // the state it uses goes away.
  abort.Detach();
  ::shutdown(fd, SHUT_RDWR);
  reader.join();
  ::close(fd);
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    accepted = shared.accepted;
  }
  if (abort.Requested()) return;
  String report;
  report.Format(u"已成功上传 %d 条数据!", accepted);
  host.ShowUploadMessage(report, false);
}

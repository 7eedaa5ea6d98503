#include "upload/tcp_upload.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "base/bounded_io.h"
#include "base/trace.h"
#include "upload/tcp_protocol.h"

namespace {

using Clock = std::chrono::steady_clock;

// One upload's exchange over a connected non-blocking socket. Sending and
// receiving share one loop, so replies are read while frames still go out
// and no second thread or lock is needed.
class Exchange {
 public:
  Exchange(int fd, const TcpUploadSettings& settings, const std::vector<UploadRecord>& records,
           UploadHost& host, UploadAbort& abort)
      : fd_(fd),
        settings_(settings),
        records_(records),
        host_(host),
        abort_(abort),
        wasSent_(records.size(), false),
        answered_(records.size(), false) {}

  // False when aborted: nothing is to be reported then.
  bool Run(const std::string& header) {
    pending_ = header;
    Clock::time_point lastActivity = Clock::now();
    for (;;) {
      if (abort_.Requested()) return false;
      if (done_ == pending_.size()) NextFrame();
      const bool sending = done_ < pending_.size();
      if (!sending && answeredCount_ >= frames_) return true;  // every frame answered
      const auto idle =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastActivity);
      const int idleLeft = settings_.idleTimeoutMs - static_cast<int>(idle.count());
      if (idleLeft <= 0) return true;  // the server went silent
      SocketReady ready;
      if (!WaitSocket(fd_, sending, std::min(idleLeft, kAbortSliceMs), ready)) continue;
      if (ready.readable) {
        const int got = Receive();
        if (got < 0) return true;  // closed, reset, or not a reply
        if (got > 0) lastActivity = Clock::now();
      }
      if (sending && ready.writable) {
        const long n = SendSome(fd_, pending_.data() + done_, pending_.size() - done_);
        if (n < 0) return true;
        if (n > 0) {
          done_ += static_cast<size_t>(n);
          lastActivity = Clock::now();
          if (done_ == pending_.size() && frames_ > 0)
            host_.ShowUploadProgress(frames_, static_cast<int>(records_.size()));
        }
      }
    }
  }

  int Accepted() const { return accepted_; }
  // Sent records without a reply line of their own.
  int Unanswered() const {
    int count = 0;
    for (size_t i = 0; i < records_.size(); ++i) count += wasSent_[i] && !answered_[i] ? 1 : 0;
    return count;
  }

 private:
  // Queues the next record's frame once the previous bytes are all out; a
  // record whose text is not a detector frame is skipped. No frame after a stop.
  void NextFrame() {
    pending_.clear();
    done_ = 0;
    while (!abort_.StopRequested() && next_ < records_.size()) {
      const size_t i = next_++;
      if (!BuildUploadFrame(records_[i].data, pending_)) continue;
      sent_.Add(records_[i].uid, i);  // findable before its reply can come
      wasSent_[i] = true;
      ++frames_;
      TraceA("%s", pending_.c_str());
      return;
    }
    pending_.clear();
  }

  // Reads what the server sent and handles each complete line: the count of
  // bytes read, 0 for none yet, -1 when the exchange is over.
  int Receive() {
    char chunk[ReplyLineBuffer::kCapacity];
    const long n = ReceiveSome(fd_, chunk, buffer_.Room());
    if (n <= 0) return static_cast<int>(n);
    TraceA("buf0: %.*s", static_cast<int>(n), chunk);
    for (const std::string& line : buffer_.Add(chunk, static_cast<size_t>(n))) {
      TraceA("buf: %s", line.c_str());
      HandleUploadReply(line);
    }
    if (buffer_.Overflowed()) {
      host_.ShowUploadMessage(u"Server return error content", true);
      return -1;
    }
    return static_cast<int>(n);
  }

  // A line counts only as the first answer for a record sent in this
  // exchange: a repeated answer or one for a uid never sent is ignored.
  void HandleUploadReply(const std::string& line) {
    String uid, status;
    if (!SplitReplyLine(line, uid, status)) return;
    Trace(u"打印hash: %s", uid.Handle());
    const long index = sent_.Find(uid);
    if (index < 0 || answered_[static_cast<size_t>(index)]) return;
    const UploadRecord& record = records_[static_cast<size_t>(index)];
    Trace(u"检测hash: %s", record.uid.Handle());
    answered_[static_cast<size_t>(index)] = true;
    ++answeredCount_;
    const bool accepted = status == u"ok";
    if (accepted) ++accepted_;
    host_.ShowUploadReply(record.serial, record.key, accepted ? String(u"已上传") : status,
                          accepted);
  }

  const int fd_;
  const TcpUploadSettings& settings_;
  const std::vector<UploadRecord>& records_;
  UploadHost& host_;
  UploadAbort& abort_;
  std::string pending_;  // the bytes going out now: the header or one frame
  size_t done_ = 0;      // of pending_, already sent
  size_t next_ = 0;      // the next record to consider
  int frames_ = 0;
  SentRecords sent_;
  std::vector<bool> wasSent_, answered_;
  ReplyLineBuffer buffer_;
  int answeredCount_ = 0;
  int accepted_ = 0;
};

}  // namespace

namespace {

struct ExchangeResult {
  bool finished = false;  // false: connect failed (reported) or aborted
  int accepted = 0;
  int unanswered = 0;
};

// One connection: the header of `deviceId` and the frames of `records`.
ExchangeResult UploadUnderOneId(const TcpUploadSettings& settings, const uint8_t deviceId[8],
                                const std::vector<UploadRecord>& records, UploadHost& host,
                                UploadAbort& abort) {
  ExchangeResult result;
  const std::string header = BuildUploadHeader(deviceId);
  const std::string hostName = settings.host.ToBytes(cp::kAnsi);
  IoError error;
  std::string address;  // stays empty while the name does not resolve
  // The operator's stop ends a connect too: nothing has been sent then.
  const int fd = ConnectTcp(hostName, std::to_string(settings.port), AddressFamily::kIpv4,
                            settings.connectTimeoutMs, &abort.StopFlag(), error, &address);
  if (fd < 0) {
    if (error.failure == IoFailure::kAborted) {
      result.finished = !abort.Requested();
      return result;
    }
    if (error.failure == IoFailure::kResolve || address.empty()) {
      host.ShowUploadMessage(u"无法解析服务器网址", true);
      return result;
    }
    String text;
    text.Format(u"无法连接服务器: %hs:%d", address.c_str(), static_cast<int>(settings.port));
    host.ShowUploadMessage(text, true);
    return result;
  }
  Exchange exchange(fd, settings, records, host, abort);
  result.finished = exchange.Run(header);
  CloseDescriptor(fd);
  result.accepted = exchange.Accepted();
  result.unanswered = exchange.Unanswered();
  return result;
}

}  // namespace

void RunTcpUpload(const TcpUploadSettings& settings, const std::vector<UploadRecord>& records,
                  UploadHost& host, UploadAbort& abort) {
  int accepted = 0, unanswered = 0;
  std::vector<std::vector<UploadRecord>> groups = GroupByDeviceId(records);
  if (groups.empty()) groups.emplace_back();  // the header alone, under the station's ID
  for (const std::vector<UploadRecord>& group : groups) {
    uint8_t deviceId[8];
    // A record carries the ID it was captured under; one without takes the station's.
    if (group.empty() || group.front().deviceId.HexToBytes(deviceId, 8) != 8)
      std::copy(settings.deviceId, settings.deviceId + 8, deviceId);
    const ExchangeResult result = UploadUnderOneId(settings, deviceId, group, host, abort);
    accepted += result.accepted;
    unanswered += result.unanswered;
    if (!result.finished) {
      // A later ID would meet the same server: the report of what went out
      // before still comes, unless the window is closing.
      if (!abort.Requested() && accepted + unanswered > 0)
        host.ShowUploadResult(accepted, unanswered);
      return;
    }
    if (abort.StopRequested()) break;
  }
  host.ShowUploadResult(accepted, unanswered);
}

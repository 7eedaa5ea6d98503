#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "upload/outbox_sender.h"

// Sends the outbox by itself on a thread of its own: a round whenever records
// wait and sending is on, the next at once while the server keeps accepting;
// after a failed round it waits with growing pauses (RetryDelayMs), or until
// Wake (a new record, "立即上传"). Every wait is bounded and Stop ends a
// round within tens of milliseconds. Any thread may call it.
class OutboxWorker {
 public:
  struct State {
    bool enabled = false;
    size_t queued = 0;
    bool sending = false;
    String failure{u""};  // the last round's failure; empty after a good one
    std::chrono::system_clock::time_point failedAt;
    int retryInMs = 0;  // until the next try, after a failure
  };

  // `changed` is called (on the worker) after every round.
  OutboxWorker(Outbox& outbox, RecordDb& db, UploadFlagStore& flags, std::function<void()> changed);
  ~OutboxWorker();  // Stop
  OutboxWorker(const OutboxWorker&) = delete;
  OutboxWorker& operator=(const OutboxWorker&) = delete;

  // Where to send, and whether to: from now on (the next round).
  void Configure(bool enabled, const UploadTarget& target, const String& stationId);
  // Try now, without waiting out a pause.
  void Wake();
  // While paused (a manual upload runs) no round starts.
  void SetPaused(bool paused);
  // Ends a running round and the thread; returns once it has ended.
  void Stop();

  State GetState() const;
  // The keys of the records the running round is sending (a manual upload
  // leaves them out).
  std::set<std::u16string> InFlight() const;
  // The records each round takes at most.
  void SetBatch(size_t batch) { batch_ = batch; }
  // The flag store's way to know that the worker is being stopped.
  UploadAbort& Abort() { return abort_; }

 private:
  void Run();

  Outbox& outbox_;
  RecordDb& db_;
  UploadFlagStore& flags_;
  std::function<void()> changed_;
  mutable std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool woken_ = false;
  bool paused_ = false;
  bool enabled_ = false;
  UploadTarget target_;
  String stationId_;
  int failures_ = 0;
  std::chrono::steady_clock::time_point nextTry_{};
  State state_;
  std::set<std::u16string> inFlight_;
  size_t batch_ = 5000;
  UploadAbort abort_;
  std::thread thread_;
};

#include "upload/outbox_worker.h"

using Steady = std::chrono::steady_clock;

OutboxWorker::OutboxWorker(Outbox& outbox, RecordDb& db, UploadFlagStore& flags,
                           std::function<void()> changed)
    : outbox_(outbox), db_(db), flags_(flags), changed_(std::move(changed)) {
  state_.queued = outbox_.Count();
  thread_ = std::thread([this] { Run(); });
}

OutboxWorker::~OutboxWorker() { Stop(); }

void OutboxWorker::Configure(bool enabled, const UploadTarget& target, const String& stationId) {
  std::lock_guard<std::mutex> hold(lock_);
  const bool turnedOn = enabled && !enabled_;
  enabled_ = enabled;
  state_.enabled = enabled;
  target_ = target;
  stationId_ = stationId;
  if (turnedOn) {
    failures_ = 0;
    nextTry_ = Steady::time_point{};
  }
  wake_.notify_all();
}

void OutboxWorker::Wake() {
  std::lock_guard<std::mutex> hold(lock_);
  woken_ = true;
  wake_.notify_all();
}

void OutboxWorker::SetPaused(bool paused) {
  std::lock_guard<std::mutex> hold(lock_);
  paused_ = paused;
  wake_.notify_all();
}

void OutboxWorker::Stop() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
    abort_.Request();
    wake_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
}

OutboxWorker::State OutboxWorker::GetState() const {
  std::lock_guard<std::mutex> hold(lock_);
  State state = state_;
  state.queued = outbox_.Count();
  if (!state.failure.IsEmpty()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(nextTry_ - Steady::now());
    state.retryInMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
  }
  return state;
}

std::set<std::u16string> OutboxWorker::InFlight() const {
  std::lock_guard<std::mutex> hold(lock_);
  return inFlight_;
}

void OutboxWorker::Run() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    // Waits until a round may start: sending on, records waiting, not paused,
    // and the pause after a failure over (or cut short by Wake).
    const auto due = [this] {
      return stop_ ||
             (enabled_ && !paused_ && outbox_.Count() > 0 && (woken_ || Steady::now() >= nextTry_));
    };
    while (!due()) {
      if (enabled_ && !paused_ && outbox_.Count() > 0 && nextTry_ > Steady::now()) {
        wake_.wait_until(hold, nextTry_);
      } else {
        // Records are queued by others: look again now and then, and at Wake.
        wake_.wait_for(hold, std::chrono::milliseconds(500));
      }
    }
    if (stop_) return;
    woken_ = false;
    const UploadTarget target = target_;
    const String stationId = stationId_;
    inFlight_.clear();
    for (const Outbox::Entry& entry : outbox_.Front(batch_)) inFlight_.insert(entry.key.ToStd());
    state_.sending = true;
    hold.unlock();
    const OutboxRound round =
        SendOutboxRound(outbox_, db_, stationId, target, batch_, flags_, abort_);
    hold.lock();
    inFlight_.clear();
    state_.sending = false;
    if (stop_) return;
    if (round.retry) {
      ++failures_;
      nextTry_ = Steady::now() + std::chrono::milliseconds(RetryDelayMs(failures_));
      state_.failure = round.failure.IsEmpty() ? String(u"上传失败") : round.failure;
      state_.failedAt = std::chrono::system_clock::now();
    } else {
      failures_ = 0;
      nextTry_ = Steady::time_point{};
      state_.failure = u"";
    }
    if (changed_) {
      hold.unlock();
      changed_();
      hold.lock();
    }
  }
}

#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstddef>
#include <functional>

#include "base/thread.h"

// One background job of the window (an upload, a file being written): one
// worker thread at a time, its progress handed to the UI thread with at most
// one update waiting, a stop the work polls, and a wait for the worker at
// close. Start, Stop, Join and the state run on the UI thread; Report runs on
// the worker.
class WindowJob {
 public:
  // `showProgress` runs on the UI thread with the counts reported last.
  WindowJob(QObject* owner, std::function<void(size_t done, size_t total)> showProgress)
      : owner_(owner), showProgress_(std::move(showProgress)) {}
  WindowJob(const WindowJob&) = delete;
  WindowJob& operator=(const WindowJob&) = delete;
  ~WindowJob() { Join(); }

  // From Start until the window hears that the work ended (Ended).
  bool IsActive() const { return active_; }
  bool IsRunning() const { return thread_.IsRunning(); }

  // Runs `work` on a worker once the previous one has ended. `total` is the
  // count progress is measured against.
  void Start(size_t total, std::function<void()> work) {
    Join();
    stop_ = false;
    done_ = 0;
    total_ = total;
    active_ = true;
    thread_.Start(std::move(work));
  }
  // The work ended and its end was reported (UI thread).
  void Ended() { active_ = false; }

  // Worker: `done` of `total` so far. False once a stop was asked for.
  bool Report(size_t done, size_t total) {
    done_ = done;
    total_ = total;
    if (!posted_.exchange(true)) {
      QMetaObject::invokeMethod(
          owner_,
          [this] {
            posted_ = false;
            if (active_) showProgress_(done_.load(), total_.load());
          },
          Qt::QueuedConnection);
    }
    return !stop_;
  }
  bool Report(size_t done) { return Report(done, total_.load()); }

  void RequestStop() { stop_ = true; }
  bool StopRequested() const { return stop_; }
  const std::atomic<bool>& StopFlag() const { return stop_; }
  // Waits for the worker (at close, or before the next start).
  void Join() {
    thread_.Wait(Thread::kInfinite);
    thread_.Close();
  }

 private:
  QObject* owner_;
  std::function<void(size_t, size_t)> showProgress_;
  Thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> done_{0};
  std::atomic<size_t> total_{0};
  std::atomic<bool> posted_{false};
  bool active_ = false;
};

#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <functional>

// The longest the UI thread could not react: a 5 ms precise timer runs on
// the event loop, and its worst lateness while `busy` holds is the stall.
class StallMeter {
 public:
  StallMeter() {
    timer_.setInterval(5);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      if (last_ >= 0) worst_ = std::max(worst_, now - last_ - 5);
      last_ = now;
    });
  }
  // Starts `work` with the meter running and measures until `busy` ends (or
  // `limitMs` passed). The stall of `work` itself counts.
  qint64 Run(const std::function<void()>& work, const std::function<bool()>& busy, int limitMs) {
    clock_.start();
    last_ = -1;
    worst_ = 0;
    timer_.start();
    QCoreApplication::processEvents();  // the timer's first tick
    if (work) work();
    while (busy() && clock_.elapsed() < limitMs) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    QCoreApplication::processEvents();  // what the end left to do
    timer_.stop();
    return worst_;
  }
  qint64 Elapsed() const { return clock_.elapsed(); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = -1, worst_ = 0;
};

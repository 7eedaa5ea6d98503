#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/string.h"
#include "output/label_transport.h"

// Delivers finished labels to their destination on a worker thread, one label
// at a time, so that a printer that hangs or a slow print service never holds
// the window. Submit and Abort are for one owning thread (the UI thread); the
// completion runs on the worker. The destructor abandons a label in flight
// and waits for the worker, which the transport's time-outs and the abort flag
// keep short.
class LabelDelivery {
 public:
  // Called on the worker thread when a label's delivery has ended: whether
  // the destination took all of it, and why not.
  using Done = std::function<void(bool delivered, const String& error)>;

  explicit LabelDelivery(std::unique_ptr<LabelTransport> transport);
  ~LabelDelivery();
  LabelDelivery(const LabelDelivery&) = delete;
  LabelDelivery& operator=(const LabelDelivery&) = delete;

  // Hands one label over; false (nothing started) while one is in flight.
  bool Submit(std::string tspl, Done done);
  bool Busy() const { return busy_; }
  // Abandons the label in flight (its completion reports it undelivered) and
  // waits for the worker to let go of it.
  void Abort();
  const String& Destination() const { return transport_->Name(); }

 private:
  std::unique_ptr<LabelTransport> transport_;
  std::thread worker_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> abort_{false};
};

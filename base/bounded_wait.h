#pragma once

#include <atomic>
#include <chrono>

#include "base/bounded_io.h"

// What the platform files of the bounded waits share: deadlines, the abort
// flag and the failure record.
namespace bounded {

using Clock = std::chrono::steady_clock;

inline bool Aborted(const std::atomic<bool>* abort) { return abort && abort->load(); }

inline int MillisecondsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

inline bool Fail(IoError& error, IoFailure failure, int code = 0) {
  error.failure = failure;
  error.code = code;
  return false;
}

}  // namespace bounded

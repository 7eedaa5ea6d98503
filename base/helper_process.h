#pragma once

#include <atomic>
#include <string>
#include <vector>

// Runs a helper program (found on PATH, no shell) with `input` on its standard
// input, its standard output kept in `output` when one is given (else
// discarded) and the start of its standard error kept, and waits for it to exit, at most
// `timeoutMs` in all or until `abort` becomes true; past that it is killed. Implementations:
// helper_process_posix.cpp. Safe on any thread.
struct HelperOutcome {
  enum State {
    kExited,    // `exitCode` holds its status
    kNotFound,  // no such program
    kTimedOut,  // it did not take its input or did not exit in time (killed)
    kAborted,   // the caller gave up (killed)
    kKilled,    // it ended by a signal
    kFailed,    // it could not be started; `systemError` holds errno
  };
  State state = kFailed;
  int exitCode = -1;
  int systemError = 0;
  bool inputTaken = false;  // it read all of the input
  std::string errorText;    // the first 512 bytes of its standard error, line ends trimmed
  bool outputCut = false;   // it wrote more than kHelperOutputLimit; the rest was dropped
};

constexpr size_t kHelperOutputLimit = 1 << 20;

HelperOutcome RunHelper(const std::vector<std::string>& argv, const std::string& input,
                        int timeoutMs, const std::atomic<bool>* abort,
                        std::string* output = nullptr);

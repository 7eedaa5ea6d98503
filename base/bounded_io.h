#pragma once

#include <atomic>
#include <string>

// Bounded, abortable waits for the workers that talk to printers, servers and
// helper programs: every call gives up at its time-out, or within
// kAbortSliceMs of `abort` becoming true. Nothing here blocks without a bound.
// Plain functions; safe on any thread for different descriptors.

constexpr int kAbortSliceMs = 20;

// Why a bounded operation stopped short.
enum class IoFailure {
  kNone,
  kResolve,  // the host name did not resolve
  kRefused,  // nobody listens at the address
  kTimeout,  // the peer made no progress within the time-out
  kAborted,  // the caller gave up (the window is closing, the operator stopped)
  kReset,    // the peer reset or closed the connection
  kSystem,   // any other error; `code` holds errno
};

struct IoError {
  IoFailure failure = IoFailure::kNone;
  int code = 0;  // errno where one applies
};

// Resolves `host` (empty: this machine) and connects to `port` with a
// non-blocking connect, trying each address in turn within `timeoutMs` in all.
// `family` AF_INET or AF_UNSPEC. Returns a non-blocking socket, or -1 with the
// reason. `address` receives the numeric address last tried, when given.
int ConnectTcp(const std::string& host, const std::string& port, int family, int timeoutMs,
               const std::atomic<bool>* abort, IoError& error, std::string* address = nullptr);

// Waits until `fd` is ready for `events` (POLLIN, POLLOUT): 1 ready (the
// poll's revents in `revents`), 0 time-out, -1 aborted (error set).
int WaitReady(int fd, short events, int timeoutMs, const std::atomic<bool>* abort, IoError& error,
              short* revents = nullptr);

// Writes all bytes to a non-blocking descriptor (socket, pipe or device)
// before `timeoutMs` have passed in all. On a socket a vanished peer is an
// error, never a signal. False with the reason when it stopped short.
bool WriteWithin(int fd, const std::string& bytes, int timeoutMs, const std::atomic<bool>* abort,
                 IoError& error);

// Waits until the peer has acknowledged every byte written to the socket (its
// send queue is empty) and no error is pending. False on time-out, abort,
// reset, or a pending error.
bool WaitSendQueueDrained(int fd, int timeoutMs, const std::atomic<bool>* abort, IoError& error);

// Sets or clears O_NONBLOCK.
bool SetNonBlocking(int fd, bool on);

// The system's text of an errno value (English).
std::string SystemErrorText(int code);

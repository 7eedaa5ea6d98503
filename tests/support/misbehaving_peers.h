#pragma once

// Printers and servers on 127.0.0.1 that behave badly, for the tests of the
// bounded waits: a listener whose queue is full (connects hang), one that
// accepts and never reads, one that resets every connection.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/bounded_io.h"

namespace peers {

// A listening socket on 127.0.0.1 at a free port (`port` gets which).
inline int Listener(int backlog, int receiveBuffer = 0, int* port = nullptr) {
  int bound = 0, code = 0;
  const int fd = ListenTcp("127.0.0.1", 0, backlog, bound, code, receiveBuffer);
  if (port) *port = bound;
  return fd;
}

// Takes a port that nobody listens on: free when this returns.
inline int ClosedPort() {
  int port = 0;
  const int listener = Listener(1, 0, &port);
  CloseDescriptor(listener);
  return port;
}

// A listener that never accepts, with its queue filled: the system drops
// further connection requests, so a connect to it hangs until its time-out.
class FullQueue {
 public:
  FullQueue() : listener_(Listener(0, 0, &port_)) {
    for (int i = 0; i < 8; ++i) {
      IoError error;
      const int fd =
          ConnectTcp("127.0.0.1", std::to_string(port_), AddressFamily::kIpv4, 200, nullptr, error);
      if (fd < 0) break;  // this one hangs already: the queue is full
      fillers_.push_back(fd);
    }
  }
  ~FullQueue() {
    for (int fd : fillers_) CloseDescriptor(fd);
    CloseDescriptor(listener_);
  }
  int Port() const { return port_; }

 private:
  int port_ = 0;
  int listener_;
  std::vector<int> fillers_;
};

// Accepts connections and then does `what` with each on its own thread until
// destroyed: kNeverRead keeps it open and reads nothing (with a tiny receive
// window, so a sender soon stalls); kReset waits for the first byte and then
// resets the connection, having taken almost nothing.
class Peer {
 public:
  enum Kind { kNeverRead, kReset };

  explicit Peer(Kind kind) : kind_(kind), listener_(Listener(8, 1024, &port_)) {
    thread_ = std::thread([this] { Serve(); });
  }
  ~Peer() {
    stop_ = true;
    thread_.join();
    for (int fd : accepted_) CloseDescriptor(fd);
    CloseDescriptor(listener_);
  }
  int Port() const { return port_; }
  int Accepted() const { return count_; }

 private:
  void Serve() {
    while (!stop_) {
      const int fd = AcceptWithin(listener_, 20);
      if (fd < 0) continue;
      ++count_;
      if (kind_ == kNeverRead) {
        accepted_.push_back(fd);
        continue;
      }
      SocketReady ready;
      WaitSocket(fd, false, 2000, ready);
      AbortSocket(fd);
    }
  }

  Kind kind_;
  int port_ = 0;
  int listener_;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::vector<int> accepted_;
  std::thread thread_;
};

}  // namespace peers

#pragma once

// Printers and servers on 127.0.0.1 that behave badly, for the tests of the
// bounded waits: a listener whose queue is full (connects hang), one that
// accepts and never reads, one that resets every connection.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace peers {

inline int Listener(int backlog, int receiveBuffer = 0) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (receiveBuffer > 0) {
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(fd, backlog);
  return fd;
}

inline int PortOf(int fd) {
  sockaddr_in a{};
  socklen_t length = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
  return ntohs(a.sin_port);
}

// A listener that never accepts, with its queue filled: the system drops
// further connection requests, so a connect to it hangs until its time-out.
class FullQueue {
 public:
  FullQueue() : listener_(Listener(0)), port_(PortOf(listener_)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port_));
    for (int i = 0; i < 8; ++i) {
      const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
      pollfd p{fd, POLLOUT, 0};
      const bool connected = ::poll(&p, 1, 200) == 1;
      fillers_.push_back(fd);
      if (!connected) break;  // this one hangs already: the queue is full
    }
  }
  ~FullQueue() {
    for (int fd : fillers_) ::close(fd);
    ::close(listener_);
  }
  int Port() const { return port_; }

 private:
  int listener_;
  int port_;
  std::vector<int> fillers_;
};

// Accepts connections and then does `what` with each on its own thread until
// destroyed: kNeverRead keeps it open and reads nothing (with a tiny receive
// window, so a sender soon stalls); kReset waits for the first byte and then
// resets the connection, having taken almost nothing.
class Peer {
 public:
  enum Kind { kNeverRead, kReset };

  explicit Peer(Kind kind) : kind_(kind), listener_(Listener(8, 1024)), port_(PortOf(listener_)) {
    thread_ = std::thread([this] { Serve(); });
  }
  ~Peer() {
    stop_ = true;
    thread_.join();
    for (int fd : accepted_) ::close(fd);
    ::close(listener_);
  }
  int Port() const { return port_; }
  int Accepted() const { return count_; }

 private:
  void Serve() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 20) != 1) continue;
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      ++count_;
      if (kind_ == kNeverRead) {
        accepted_.push_back(fd);
        continue;
      }
      pollfd in{fd, POLLIN, 0};
      ::poll(&in, 1, 2000);
      linger reset{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
      ::close(fd);
    }
  }

  Kind kind_;
  int listener_;
  int port_;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::vector<int> accepted_;
  std::thread thread_;
};

}  // namespace peers

#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>

// A one-connection TCP server on 127.0.0.1 for client tests: `serve` runs on
// its own thread with the accepted socket. The port is free until Start.
class LoopbackServer {
 public:
  using Serve = std::function<void(int socket)>;

  LoopbackServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length);
    port_ = ntohs(a.sin_port);
    ::listen(listener_, 4);
  }
  // A server still waiting for its connection stops waiting.
  ~LoopbackServer() {
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }
  // Serves `connections` connections, one after the other.
  void Start(Serve serve, int connections = 1) {
    thread_ = std::thread([this, serve, connections] {
      for (int i = 0; i < connections; ++i) {
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0) return;
        serve(fd);
        ::close(fd);
      }
    });
  }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  int Port() const { return port_; }

  // Reads exactly n bytes (fewer when the peer stops sending).
  static std::string Read(int fd, size_t n) {
    std::string out;
    char buffer[4096];
    while (out.size() < n) {
      const ssize_t got = ::recv(fd, buffer, std::min(sizeof buffer, n - out.size()), 0);
      if (got <= 0) break;
      out.append(buffer, static_cast<size_t>(got));
    }
    return out;
  }
  static void Send(int fd, const std::string& bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
};

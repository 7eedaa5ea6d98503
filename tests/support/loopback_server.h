#pragma once

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "base/bounded_io.h"

// A one-connection TCP server on 127.0.0.1 for client tests: `serve` runs on
// its own thread with the accepted (blocking) socket. The port is free until
// Start.
class LoopbackServer {
 public:
  using Serve = std::function<void(int socket)>;

  LoopbackServer() {
    int code = 0;
    listener_ = ListenTcp("127.0.0.1", 0, 4, port_, code);
  }
  // A server still waiting for its connection stops waiting.
  ~LoopbackServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) CloseDescriptor(listener_);
  }
  // Serves `connections` connections, one after the other.
  void Start(Serve serve, int connections = 1) {
    thread_ = std::thread([this, serve, connections] {
      for (int i = 0; i < connections && !stop_;) {
        const int fd = AcceptWithin(listener_, 20);
        if (fd < 0) continue;
        ResetAtClose() = false;
        serve(fd);
        if (ResetAtClose()) {
          AbortSocket(fd);
        } else {
          CloseDescriptor(fd);
        }
        ++i;
      }
    });
  }
  // Set by `serve`: its connection is reset when it returns, not closed.
  static bool& ResetAtClose() {
    static thread_local bool reset = false;
    return reset;
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
      const long got = ReceiveSome(fd, buffer, std::min(sizeof buffer, n - out.size()));
      if (got <= 0) break;
      out.append(buffer, static_cast<size_t>(got));
    }
    return out;
  }
  // Reads one HTTP/1.0 request whole: its head and a body of Content-Length
  // bytes (what came before the peer stopped sending).
  static std::string ReadHttpRequest(int fd) {
    std::string request;
    char buffer[8192];
    for (;;) {
      const size_t end = request.find("\r\n\r\n");
      const size_t at = request.find("Content-Length: ");
      if (end != std::string::npos && at != std::string::npos &&
          request.size() >= end + 4 + std::stoul(request.substr(at + 16))) {
        return request;
      }
      const long got = ReceiveSome(fd, buffer, sizeof buffer);
      if (got <= 0) return request;
      request.append(buffer, static_cast<size_t>(got));
    }
  }
  // Sends it all, or gives up when that has taken 30 s.
  static void Send(int fd, const std::string& bytes) {
    IoError error;
    (void)WriteWithin(fd, bytes, 30000, nullptr, error);
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

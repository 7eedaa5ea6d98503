// Winsock under the bounded waits: a refused port, a peer that never reads,
// an abort, and a peer that takes everything and ends the job.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/bounded_io.h"

namespace {

using Clock = std::chrono::steady_clock;

// A listening socket on a loopback port of its own; it accepts nothing by
// itself, so a client's bytes pile up unread.
struct Listener {
  SOCKET s = INVALID_SOCKET;
  std::string port;
  Listener() {
    s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(s, 4);
    int length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    port = std::to_string(ntohs(address.sin_port));
  }
  ~Listener() { ::closesocket(s); }
};

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(WindowsSocketsTest, ConnectsAndWritesStayWithinTheirBounds) {
  IoError error;
  std::string refusedPort;
  {
    Listener closed;
    refusedPort = closed.port;
  }
  EXPECT_LT(ConnectTcp("127.0.0.1", refusedPort, AddressFamily::kIpv4, 2000, nullptr, error), 0);
  EXPECT_EQ(error.failure, IoFailure::kRefused);

  Listener silent;
  const int fd = ConnectTcp("127.0.0.1", silent.port, AddressFamily::kIpv4, 2000, nullptr, error);
  ASSERT_GE(fd, 0);
  // 64 MiB never read: the write gives up at its time-out, not later.
  const std::string lots(64 << 20, 'x');
  auto start = Clock::now();
  EXPECT_FALSE(WriteWithin(fd, lots, 300, nullptr, error));
  EXPECT_EQ(error.failure, IoFailure::kTimeout);
  EXPECT_LT(SecondsSince(start), 3.0);

  // An abort ends a long wait within a slice.
  std::atomic<bool> abort{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    abort = true;
  });
  start = Clock::now();
  EXPECT_FALSE(WriteWithin(fd, lots, 60000, &abort, error));
  stopper.join();
  EXPECT_EQ(error.failure, IoFailure::kAborted);
  EXPECT_LT(SecondsSince(start), 3.0);
  // What was written is never called taken while the peer sits on it.
  start = Clock::now();
  EXPECT_FALSE(WaitSendQueueDrained(fd, 300, nullptr, error));
  EXPECT_EQ(error.failure, IoFailure::kTimeout);
  EXPECT_LT(SecondsSince(start), 3.0);
  AbortSocket(fd);
}

TEST(WindowsSocketsTest, APeerThatTakesEverythingGetsItAllAcknowledged) {
  Listener listener;
  IoError error;
  const int fd = ConnectTcp("localhost", listener.port, AddressFamily::kIpv4, 2000, nullptr, error);
  ASSERT_GE(fd, 0);
  const SOCKET peer = ::accept(listener.s, nullptr, nullptr);
  ASSERT_NE(peer, INVALID_SOCKET);
  std::string received;
  std::thread reader([&] {
    char buffer[65536];
    int n;
    while ((n = ::recv(peer, buffer, sizeof buffer, 0)) > 0) received.append(buffer, n);
    ::closesocket(peer);  // at the end of the job, as a printer's raw port does
  });
  const std::string label(200000, 'L');
  ASSERT_TRUE(WriteWithin(fd, label, 5000, nullptr, error));
  EXPECT_TRUE(WaitSendQueueDrained(fd, 5000, nullptr, error))
      << static_cast<int>(error.failure) << " " << SystemErrorText(error.code);
  CloseDescriptor(fd);
  reader.join();
  EXPECT_EQ(received.size(), label.size());
}

}  // namespace

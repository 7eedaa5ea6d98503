#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/bounded_io.h"
#include "base/bounded_wait.h"

namespace {

using bounded::Aborted;
using bounded::Clock;
using bounded::Fail;
using bounded::MillisecondsLeft;

IoFailure FailureOf(int code) {
  switch (code) {
    case ECONNREFUSED:
      return IoFailure::kRefused;
    case ECONNRESET:
    case EPIPE:
    case ENOTCONN:
      return IoFailure::kReset;
    case ETIMEDOUT:
      return IoFailure::kTimeout;
    default:
      return IoFailure::kSystem;
  }
}

// The pending error of a socket, 0 when there is none (or fd is not a socket).
int PendingError(int fd) {
  int code = 0;
  socklen_t length = sizeof code;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &length) != 0) return 0;
  return code;
}

bool IsSocket(int fd) {
  int type = 0;
  socklen_t length = sizeof type;
  return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) == 0;
}

// Name resolution through glibc's asynchronous resolver, so that a dead name
// server cannot hold the caller past its time-out or its abort. A request
// still running when we give up cannot be freed (glibc writes into it when it
// finishes): it is kept in a list and freed by a later lookup once done.
struct Lookup {
  std::string host, port;
  addrinfo hints{};
  gaicb request{};
};

std::mutex abandonedMutex;
std::vector<std::unique_ptr<Lookup>> abandoned;

void Abandon(std::unique_ptr<Lookup> lookup) {
  std::lock_guard<std::mutex> lock(abandonedMutex);
  for (auto it = abandoned.begin(); it != abandoned.end();) {
    if (::gai_error(&(*it)->request) == EAI_INPROGRESS) {
      ++it;
      continue;
    }
    if ((*it)->request.ar_result) ::freeaddrinfo((*it)->request.ar_result);
    it = abandoned.erase(it);
  }
  abandoned.push_back(std::move(lookup));
}

addrinfo* Resolve(const std::string& host, const std::string& port, int family,
                  Clock::time_point deadline, const std::atomic<bool>* abort, IoError& error) {
  auto lookup = std::make_unique<Lookup>();
  lookup->host = host.empty() ? "localhost" : host;
  lookup->port = port;
  lookup->hints.ai_family = family;
  lookup->hints.ai_socktype = SOCK_STREAM;
  // A numeric address needs no name server: resolved at once, on this thread.
  addrinfo numeric = lookup->hints;
  numeric.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (::getaddrinfo(lookup->host.c_str(), port.c_str(), &numeric, &found) == 0) return found;
  lookup->request.ar_name = lookup->host.c_str();
  lookup->request.ar_service = lookup->port.c_str();
  lookup->request.ar_request = &lookup->hints;
  gaicb* list[] = {&lookup->request};
  if (::getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
    Fail(error, IoFailure::kResolve);
    return nullptr;
  }
  for (;;) {
    const int state = ::gai_error(&lookup->request);
    if (state != EAI_INPROGRESS) {
      if (state != 0 || !lookup->request.ar_result) {
        Fail(error, IoFailure::kResolve);
        return nullptr;
      }
      return lookup->request.ar_result;
    }
    const bool aborted = Aborted(abort);
    if (aborted || MillisecondsLeft(deadline) == 0) {
      if (::gai_cancel(&lookup->request) != EAI_CANCELED) Abandon(std::move(lookup));
      Fail(error, aborted ? IoFailure::kAborted : IoFailure::kTimeout);
      return nullptr;
    }
    timespec slice{0, kAbortSliceMs * 1000000L};
    const gaicb* waiting[] = {&lookup->request};
    ::gai_suspend(waiting, 1, &slice);
  }
}

std::string NumericAddress(const sockaddr* address, socklen_t length) {
  char host[NI_MAXHOST] = "";
  ::getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST);
  return host;
}

}  // namespace

bool SetNonBlocking(int fd, bool on) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  return ::fcntl(fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0;
}

std::string SystemErrorText(int code) { return std::strerror(code); }

int WaitReady(int fd, short events, int timeoutMs, const std::atomic<bool>* abort, IoError& error,
              short* revents) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (Aborted(abort)) {
      Fail(error, IoFailure::kAborted);
      return -1;
    }
    const int left = MillisecondsLeft(deadline);
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, left < kAbortSliceMs ? left : kAbortSliceMs);
    if (n < 0 && errno != EINTR) {
      Fail(error, IoFailure::kSystem, errno);
      return -1;
    }
    if (n > 0) {
      if (revents) *revents = p.revents;
      return 1;
    }
    if (left == 0) return 0;
  }
}

int ConnectTcp(const std::string& host, const std::string& port, AddressFamily addressFamily,
               int timeoutMs, const std::atomic<bool>* abort, IoError& error,
               std::string* address) {
  const int family = addressFamily == AddressFamily::kIpv4 ? AF_INET : AF_UNSPEC;
  error = IoError{};
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  addrinfo* found = Resolve(host, port, family, deadline, abort, error);
  if (!found) return -1;
  int connected = -1;
  for (addrinfo* a = found; a && connected < 0; a = a->ai_next) {
    if (address) *address = NumericAddress(a->ai_addr, a->ai_addrlen);
    const int fd =
        ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0) {
      Fail(error, IoFailure::kSystem, errno);
      continue;
    }
    if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
      connected = fd;
      break;
    }
    if (errno != EINPROGRESS) {
      Fail(error, FailureOf(errno), errno);
      ::close(fd);
      continue;
    }
    short revents = 0;
    const int ready = WaitReady(fd, POLLOUT, MillisecondsLeft(deadline), abort, error, &revents);
    if (ready == 1) {
      const int code = PendingError(fd);
      if (code == 0) {
        connected = fd;
        break;
      }
      Fail(error, FailureOf(code), code);
    } else if (ready == 0) {
      Fail(error, IoFailure::kTimeout);
    }
    ::close(fd);
    if (error.failure == IoFailure::kAborted || error.failure == IoFailure::kTimeout) break;
  }
  ::freeaddrinfo(found);
  if (connected >= 0) error = IoError{};
  return connected;
}

bool WriteWithin(int fd, const std::string& bytes, int timeoutMs, const std::atomic<bool>* abort,
                 IoError& error) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const bool socket = IsSocket(fd);
  if (!socket) {
    // A pipe or FIFO whose reader went away must give EPIPE, not end the program.
    static const bool ignored = [] { return ::signal(SIGPIPE, SIG_IGN) != SIG_ERR; }();
    (void)ignored;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    if (Aborted(abort)) return Fail(error, IoFailure::kAborted);
    const ssize_t n = socket ? ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                             : ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
      return Fail(error, FailureOf(errno), errno);
    if (n == 0) return Fail(error, IoFailure::kSystem, EIO);
    const int ready = WaitReady(fd, POLLOUT, MillisecondsLeft(deadline), abort, error);
    if (ready < 0) return false;
    if (ready == 0) return Fail(error, IoFailure::kTimeout);
  }
  return true;
}

bool WaitSendQueueDrained(int fd, int timeoutMs, const std::atomic<bool>* abort, IoError& error) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const int code = PendingError(fd);
    if (code != 0) return Fail(error, FailureOf(code), code);
    int unacknowledged = 0;
    if (::ioctl(fd, SIOCOUTQ, &unacknowledged) != 0) return Fail(error, IoFailure::kSystem, errno);
    if (unacknowledged == 0) return true;
    if (Aborted(abort)) return Fail(error, IoFailure::kAborted);
    const int left = MillisecondsLeft(deadline);
    if (left == 0) return Fail(error, IoFailure::kTimeout);
    // There is no readiness event for "all acknowledged": look again shortly,
    // waking early for a reset or a hang-up.
    pollfd p{fd, 0, 0};
    ::poll(&p, 1, left < 5 ? left : 5);
    if (p.revents & (POLLERR | POLLHUP)) {
      const int pending = PendingError(fd);
      return Fail(error, pending ? FailureOf(pending) : IoFailure::kReset, pending);
    }
  }
}

bool WaitSocket(int fd, bool wantWrite, int timeoutMs, SocketReady& ready) {
  pollfd p{fd, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0};
  ready = SocketReady();
  if (::poll(&p, 1, timeoutMs) <= 0) return false;
  ready.readable = (p.revents & (POLLIN | POLLERR | POLLHUP)) != 0;
  ready.writable = (p.revents & POLLOUT) != 0;
  return true;
}

long SendSome(int fd, const char* data, size_t size) {
  const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
  if (n >= 0) return static_cast<long>(n);
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

long ReceiveSome(int fd, char* data, size_t size) {
  const ssize_t n = ::recv(fd, data, size, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
  return n <= 0 ? -1 : static_cast<long>(n);
}

int ListenTcp(const std::string& address, int port, int backlog, int& bound, int& code,
              int receiveBuffer) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    code = errno;
    return -1;
  }
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (receiveBuffer > 0) {
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  socklen_t length = sizeof a;
  if (::inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) {
    code = EINVAL;
  } else if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
             ::listen(fd, backlog) != 0 ||
             ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    code = errno;
  } else {
    bound = ntohs(a.sin_port);
    code = 0;
    return fd;
  }
  ::close(fd);
  return -1;
}

int AcceptWithin(int listener, int timeoutMs) {
  pollfd p{listener, POLLIN, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return -1;
  return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);  // blocking, unlike the listener
}

void CloseDescriptor(int fd) { ::close(fd); }

void AbortSocket(int fd) {
  linger drop{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &drop, sizeof drop);
  ::close(fd);
}

int OpenDeviceForWriting(const std::string& path, int& code) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  code = fd < 0 ? errno : 0;
  return fd;
}

void DropUnsentOutput(int fd) {
  if (::isatty(fd)) ::tcflush(fd, TCOFLUSH);
}

bool CloseDevice(int fd, int& code) {
  code = 0;
  if (::close(fd) == 0 || errno == EINTR) return true;
  code = errno;
  return false;
}

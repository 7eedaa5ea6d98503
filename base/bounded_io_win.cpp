// Bounded, abortable socket waits on Winsock. Descriptors are SOCKET values
// (they fit an int on every Windows) or C runtime file descriptors.
// Winsock before the rest of the Windows headers.
// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "base/bounded_io.h"
#include "base/bounded_wait.h"
#include "base/win_text.h"

namespace {

using bounded::Aborted;
using bounded::Clock;
using bounded::Fail;
using bounded::MillisecondsLeft;

// Winsock is started once for the life of the process.
const bool winsockStarted = [] {
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();

SOCKET Socket(int fd) { return static_cast<SOCKET>(fd); }

// What SIO_TCP_INFO (Windows 10 1703 on) answers; the compiler's headers lack both.
struct TcpInfoV0 {
  int state;
  ULONG mss;
  ULONG64 connectionTimeMs;
  BOOLEAN timestampsEnabled;
  ULONG rttUs;
  ULONG minRttUs;
  ULONG bytesInFlight;
  ULONG cwnd;
  ULONG sndWnd;
  ULONG rcvWnd;
  ULONG rcvBuf;
  ULONG64 bytesOut;
  ULONG64 bytesIn;
  ULONG bytesReordered;
  ULONG bytesRetrans;
  ULONG fastRetrans;
  ULONG dupAcksIn;
  ULONG timeoutEpisodes;
  UCHAR synRetrans;
};
constexpr DWORD kSioTcpInfo = _WSAIORW(IOC_VENDOR, 39);

IoFailure FailureOf(int code) {
  switch (code) {
    case WSAECONNREFUSED:
      return IoFailure::kRefused;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENOTCONN:
    case WSAESHUTDOWN:
      return IoFailure::kReset;
    case WSAETIMEDOUT:
      return IoFailure::kTimeout;
    default:
      return IoFailure::kSystem;
  }
}

int PendingError(int fd) {
  int code = 0;
  int length = sizeof code;
  if (::getsockopt(Socket(fd), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &length) != 0)
    return 0;
  return code;
}

bool IsSocket(int fd) {
  int type = 0;
  int length = sizeof type;
  return ::getsockopt(Socket(fd), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length) ==
         0;
}

// A name lookup on a thread of its own, so that a dead name server cannot
// hold the caller past its time-out or its abort; a lookup given up on
// finishes later and frees what it found.
struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool abandoned = false;
  addrinfo* result = nullptr;
};

addrinfo* Resolve(const std::string& host, const std::string& port, int family,
                  Clock::time_point deadline, const std::atomic<bool>* abort, IoError& error) {
  addrinfo hints{};
  hints.ai_family = family;
  hints.ai_socktype = SOCK_STREAM;
  const std::string name = host.empty() ? "localhost" : host;
  addrinfo numeric = hints;
  numeric.ai_flags = AI_NUMERICHOST;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name.c_str(), port.c_str(), &numeric, &found) == 0) return found;
  auto lookup = std::make_shared<Lookup>();
  std::thread([lookup, name, port, hints] {
    addrinfo* result = nullptr;
    if (::getaddrinfo(name.c_str(), port.c_str(), &hints, &result) != 0) result = nullptr;
    std::lock_guard<std::mutex> lock(lookup->mutex);
    if (lookup->abandoned) {
      if (result) ::freeaddrinfo(result);
      return;
    }
    lookup->result = result;
    lookup->finished = true;
    lookup->done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(lookup->mutex);
  for (;;) {
    if (lookup->finished) {
      if (!lookup->result) Fail(error, IoFailure::kResolve);
      return lookup->result;
    }
    const bool aborted = Aborted(abort);
    if (aborted || MillisecondsLeft(deadline) == 0) {
      lookup->abandoned = true;
      Fail(error, aborted ? IoFailure::kAborted : IoFailure::kTimeout);
      return nullptr;
    }
    lookup->done.wait_for(lock, std::chrono::milliseconds(kAbortSliceMs));
  }
}

std::string NumericAddress(const sockaddr* address, size_t length) {
  char host[NI_MAXHOST] = "";
  ::getnameinfo(address, static_cast<socklen_t>(length), host, sizeof host, nullptr, 0,
                NI_NUMERICHOST);
  return host;
}

}  // namespace

bool SetNonBlocking(int fd, bool on) {
  u_long mode = on ? 1 : 0;
  return ::ioctlsocket(Socket(fd), FIONBIO, &mode) == 0;
}

std::string SystemErrorText(int code) {
  // Winsock's codes are Windows error codes; below them, C runtime errno values.
  return code >= WSABASEERR ? WindowsErrorText(static_cast<unsigned long>(code))
                            : std::strerror(code);
}

int WaitReady(int fd, short events, int timeoutMs, const std::atomic<bool>* abort, IoError& error,
              short* revents) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!IsSocket(fd)) {
    // Files and devices: writes are bounded where the device is opened.
    if (revents) *revents = events;
    return 1;
  }
  for (;;) {
    if (Aborted(abort)) {
      Fail(error, IoFailure::kAborted);
      return -1;
    }
    const int left = MillisecondsLeft(deadline);
    WSAPOLLFD p{Socket(fd), events, 0};
    const int n = ::WSAPoll(&p, 1, left < kAbortSliceMs ? left : kAbortSliceMs);
    if (n < 0) {
      Fail(error, IoFailure::kSystem, ::WSAGetLastError());
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
    const SOCKET s = ::WSASocketW(a->ai_family, a->ai_socktype, a->ai_protocol, nullptr, 0,
                                  WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
      Fail(error, IoFailure::kSystem, ::WSAGetLastError());
      continue;
    }
    const int fd = static_cast<int>(s);
    SetNonBlocking(fd, true);
    if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) {
      connected = fd;
      break;
    }
    const int code = ::WSAGetLastError();
    if (code != WSAEWOULDBLOCK) {
      Fail(error, FailureOf(code), code);
      ::closesocket(s);
      continue;
    }
    short revents = 0;
    const int ready = WaitReady(fd, POLLWRNORM, MillisecondsLeft(deadline), abort, error, &revents);
    if (ready == 1) {
      const int pending = PendingError(fd);
      if (pending == 0 && !(revents & (POLLERR | POLLHUP))) {
        connected = fd;
        break;
      }
      Fail(error, FailureOf(pending ? pending : WSAECONNREFUSED), pending);
    } else if (ready == 0) {
      Fail(error, IoFailure::kTimeout);
    }
    ::closesocket(s);
    if (error.failure == IoFailure::kAborted || error.failure == IoFailure::kTimeout) break;
  }
  ::freeaddrinfo(found);
  if (connected >= 0) error = IoError{};
  return connected;
}

namespace {

// Devices are opened for overlapped writes: each write is waited for in
// slices, and one that the deadline or the abort overtakes is cancelled.
bool WriteDeviceWithin(HANDLE device, const std::string& bytes, Clock::time_point deadline,
                       const std::atomic<bool>* abort, IoError& error) {
  OVERLAPPED at{};
  at.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!at.hEvent) return Fail(error, IoFailure::kSystem, ErrnoFromWindows(::GetLastError()));
  uint64_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    at.Offset = static_cast<DWORD>(done);
    at.OffsetHigh = static_cast<DWORD>(done >> 32);
    ::ResetEvent(at.hEvent);
    const DWORD piece = static_cast<DWORD>(std::min<uint64_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!::WriteFile(device, bytes.data() + done, piece, nullptr, &at) &&
        ::GetLastError() != ERROR_IO_PENDING) {
      ok = Fail(error, IoFailure::kSystem, ErrnoFromWindows(::GetLastError()));
      break;
    }
    for (;;) {
      if (::WaitForSingleObject(at.hEvent, kAbortSliceMs) == WAIT_OBJECT_0) break;
      const bool aborted = Aborted(abort);
      if (aborted || MillisecondsLeft(deadline) == 0) {
        ::CancelIoEx(device, &at);
        ::GetOverlappedResult(device, &at, &written, TRUE);
        ok = Fail(error, aborted ? IoFailure::kAborted : IoFailure::kTimeout);
        break;
      }
    }
    if (!ok) break;
    if (!::GetOverlappedResult(device, &at, &written, FALSE)) {
      ok = Fail(error, IoFailure::kSystem, ErrnoFromWindows(::GetLastError()));
      break;
    }
    if (written == 0 && MillisecondsLeft(deadline) == 0) ok = Fail(error, IoFailure::kTimeout);
    done += written;
  }
  ::CloseHandle(at.hEvent);
  return ok;
}

}  // namespace

bool WriteWithin(int fd, const std::string& bytes, int timeoutMs, const std::atomic<bool>* abort,
                 IoError& error) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const bool socket = IsSocket(fd);
  size_t done = 0;
  while (done < bytes.size()) {
    if (Aborted(abort)) return Fail(error, IoFailure::kAborted);
    if (!socket) {
      const HANDLE device = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
      return WriteDeviceWithin(device, bytes, deadline, abort, error);
    }
    const int n = ::send(Socket(fd), bytes.data() + done,
                         static_cast<int>(std::min<size_t>(bytes.size() - done, 1 << 30)), 0);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    const int code = ::WSAGetLastError();
    if (n < 0 && code != WSAEWOULDBLOCK) return Fail(error, FailureOf(code), code);
    const int ready = WaitReady(fd, POLLWRNORM, MillisecondsLeft(deadline), abort, error);
    if (ready < 0) return false;
    if (ready == 0) return Fail(error, IoFailure::kTimeout);
  }
  return true;
}

// Windows 10 and later tell how many sent bytes the peer has not
// acknowledged yet (SIO_TCP_INFO); the wait ends when none are left. Where
// that is missing (older Windows, Wine) the socket's sending side is closed
// instead and the wait ends when the peer, having read everything up to that
// end, closes its side too, as a printer's raw port does at the end of a job.
// The socket sends nothing more either way: the caller closes it next.
bool WaitSendQueueDrained(int fd, int timeoutMs, const std::atomic<bool>* abort, IoError& error) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  bool endSent = false;
  for (;;) {
    const int code = PendingError(fd);
    if (code != 0) return Fail(error, FailureOf(code), code);
    if (!endSent) {
      DWORD version = 0;
      TcpInfoV0 info{};
      DWORD length = 0;
      if (::WSAIoctl(Socket(fd), kSioTcpInfo, &version, sizeof version, &info, sizeof info, &length,
                     nullptr, nullptr) == 0) {
        if (info.bytesInFlight == 0) return true;
      } else {
        const int failure = ::WSAGetLastError();
        if (failure != WSAEOPNOTSUPP && failure != WSAEINVAL)
          return Fail(error, FailureOf(failure), failure);
        if (::shutdown(Socket(fd), SD_SEND) != 0) {
          const int shut = ::WSAGetLastError();
          return Fail(error, FailureOf(shut), shut);
        }
        endSent = true;
      }
    }
    if (Aborted(abort)) return Fail(error, IoFailure::kAborted);
    const int left = MillisecondsLeft(deadline);
    if (left == 0) return Fail(error, IoFailure::kTimeout);
    WSAPOLLFD p{Socket(fd), POLLRDNORM, 0};
    ::WSAPoll(&p, 1, left < 5 ? left : 5);
    // A reset shows as an error first: under Wine (and wherever the error is
    // read once) a later recv says 0, which would pass for the peer's close.
    if (p.revents & POLLERR) {
      const int pending = PendingError(fd);
      return Fail(error, pending ? FailureOf(pending) : IoFailure::kReset, pending);
    }
    if (endSent && (p.revents & (POLLRDNORM | POLLHUP))) {
      char discard[4096];
      const int n = ::recv(Socket(fd), discard, sizeof discard, 0);
      if (n == 0) return true;  // the peer read up to our end and closed
      if (n < 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) {
        const int failure = ::WSAGetLastError();
        return Fail(error, FailureOf(failure), failure);
      }
      continue;  // what the peer says back is not waited for
    }
    if (p.revents & (POLLERR | POLLHUP)) {
      const int pending = PendingError(fd);
      return Fail(error, pending ? FailureOf(pending) : IoFailure::kReset, pending);
    }
  }
}

bool WaitSocket(int fd, bool wantWrite, int timeoutMs, SocketReady& ready) {
  WSAPOLLFD p{Socket(fd), static_cast<short>(POLLRDNORM | (wantWrite ? POLLWRNORM : 0)), 0};
  ready = SocketReady();
  if (::WSAPoll(&p, 1, timeoutMs) <= 0) return false;
  ready.readable = (p.revents & (POLLRDNORM | POLLERR | POLLHUP)) != 0;
  ready.writable = (p.revents & POLLWRNORM) != 0;
  return true;
}

long SendSome(int fd, const char* data, size_t size) {
  const int n = ::send(Socket(fd), data, static_cast<int>(std::min<size_t>(size, 1 << 30)), 0);
  if (n >= 0) return n;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

long ReceiveSome(int fd, char* data, size_t size) {
  const int n = ::recv(Socket(fd), data, static_cast<int>(std::min<size_t>(size, 1 << 30)), 0);
  if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) return 0;
  return n <= 0 ? -1 : n;
}

int ListenTcp(const std::string& address, int port, int backlog, int& bound, int& code,
              int receiveBuffer) {
  const SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) {
    code = ::WSAGetLastError();
    return -1;
  }
  if (receiveBuffer > 0) {
    ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                 sizeof receiveBuffer);
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<u_short>(port));
  int length = sizeof a;
  if (::inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) {
    code = WSAEINVAL;
  } else if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
             ::listen(s, backlog) != 0 ||
             ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    code = ::WSAGetLastError();
  } else {
    bound = ntohs(a.sin_port);
    code = 0;
    return static_cast<int>(s);
  }
  ::closesocket(s);
  return -1;
}

int AcceptWithin(int listener, int timeoutMs) {
  WSAPOLLFD p{Socket(listener), POLLRDNORM, 0};
  if (::WSAPoll(&p, 1, timeoutMs) != 1) return -1;
  const SOCKET s = ::accept(Socket(listener), nullptr, nullptr);
  if (s == INVALID_SOCKET) return -1;
  const int fd = static_cast<int>(s);
  SetNonBlocking(fd, false);
  return fd;
}

void CloseDescriptor(int fd) {
  if (IsSocket(fd)) {
    ::closesocket(Socket(fd));
  } else {
    ::_close(fd);
  }
}

void AbortSocket(int fd) {
  linger drop{1, 0};
  ::setsockopt(Socket(fd), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&drop),
               sizeof drop);
  ::closesocket(Socket(fd));
}

// A printer's port (COM1, LPT1, \\.\USB001 ...) or a file, opened for
// overlapped writes so that WriteWithin can give up on one (see above).
int OpenDeviceForWriting(const std::string& path, int& code) {
  const HANDLE device =
      ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
  if (device == INVALID_HANDLE_VALUE) {
    code = ErrnoFromWindows(::GetLastError());
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(device), 0);
  if (fd < 0) {
    code = EMFILE;
    ::CloseHandle(device);
    return -1;
  }
  code = 0;
  return fd;
}

void DropUnsentOutput(int fd) {
  const HANDLE device = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (device == INVALID_HANDLE_VALUE) return;
  ::CancelIoEx(device, nullptr);
  ::PurgeComm(device, PURGE_TXABORT | PURGE_TXCLEAR);
}

bool CloseDevice(int fd, int& code) {
  code = 0;
  if (::_close(fd) == 0) return true;
  code = errno;
  return false;
}

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
// `family`: IPv4 addresses only, or any. Returns a non-blocking socket, or -1 with the
// reason. `address` receives the numeric address last tried, when given.
enum class AddressFamily { kIpv4, kAny };
int ConnectTcp(const std::string& host, const std::string& port, AddressFamily family,
               int timeoutMs, const std::atomic<bool>* abort, IoError& error,
               std::string* address = nullptr);

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

// What a socket is ready for after WaitSocket.
struct SocketReady {
  bool readable = false;  // data, or the peer's close or an error, to be read
  bool writable = false;
};
// Waits up to `timeoutMs` until `fd` can be read (or, with `wantWrite`,
// written). False when neither came in time.
bool WaitSocket(int fd, bool wantWrite, int timeoutMs, SocketReady& ready);
// Sends what a non-blocking socket takes now: the bytes sent, 0 when it takes
// nothing yet, -1 on an error (a vanished peer too, never a signal).
long SendSome(int fd, const char* data, size_t size);
// Reads what has arrived on a non-blocking socket: the bytes read, 0 when
// nothing yet, -1 when the peer closed or reset the connection.
long ReceiveSome(int fd, char* data, size_t size);
// Listens for TCP connections on the numeric IPv4 `address` at `port` (0: a
// free one), keeping up to `backlog` waiting; `receiveBuffer` above 0 sets the
// receive buffer its connections get. The socket, with the port it got in
// `bound`; or -1 with the system's code in `code`.
int ListenTcp(const std::string& address, int port, int backlog, int& bound, int& code,
              int receiveBuffer = 0);
// The next connection waiting on `listener` as a blocking socket, or -1 when
// none came within `timeoutMs`.
int AcceptWithin(int listener, int timeoutMs);
// Closes a socket (or any descriptor) this program opened.
void CloseDescriptor(int fd);
// Closes a socket at once, dropping what is still queued (a reset, not a
// graceful close that could wait for a dead peer).
void AbortSocket(int fd);

// Opens a device (a printer's port) for non-blocking writes: the descriptor,
// or -1 with the errno value in `code`.
int OpenDeviceForWriting(const std::string& path, int& code);
// Drops what a terminal device still holds to send (its close would wait for it).
void DropUnsentOutput(int fd);
// Closes a device; false with the errno value when the close reported an
// error (the last bytes may not have gone out).
bool CloseDevice(int fd, int& code);

// Sets or clears O_NONBLOCK.
bool SetNonBlocking(int fd, bool on);

// The system's text of an errno value (English).
std::string SystemErrorText(int code);

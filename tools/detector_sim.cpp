// detector-sim: sends detector frames to a serial port for demonstrations and
// tests. By default it makes a pseudo-terminal pair and prints the path the
// program should open; --link keeps a fixed name pointing at it (so the
// program finds the "device" again after a simulated unplug), --device writes
// to an existing port instead.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "tools/simulated_frames.h"

namespace {

const char kUsage[] =
    "usage: detector-sim [--device PATH | --link PATH] [--frames N] [--baud B]\n"
    "                    [--interval-ms MS] [--same-second K] [--noise] [--ff] [--cut]\n"
    "                    [--start-delay-ms MS] [--linger-ms MS] [--seed N] [--start-time T]\n"
    "                    [--wait-for-reader-ms MS]\n";

struct Options {
  SimulationOptions frames;
  std::string device, link;
  long baud = 9600;
  int intervalMs = 1000, startDelayMs = 0, lingerMs = 1000, waitForReaderMs = 0;
  bool cut = false;
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--noise")
      o.frames.noise = true;
    else if (a == "--ff")
      o.frames.ffBytes = true;
    else if (a == "--cut")
      o.cut = true;
    else if (!next(v))
      return false;
    else if (a == "--device")
      o.device = v;
    else if (a == "--link")
      o.link = v;
    else if (a == "--frames")
      o.frames.frames = std::stoi(v);
    else if (a == "--baud")
      o.baud = std::stol(v);
    else if (a == "--interval-ms")
      o.intervalMs = std::stoi(v);
    else if (a == "--same-second")
      o.frames.sameSecond = std::stoi(v);
    else if (a == "--start-delay-ms")
      o.startDelayMs = std::stoi(v);
    else if (a == "--wait-for-reader-ms")
      o.waitForReaderMs = std::stoi(v);
    else if (a == "--linger-ms")
      o.lingerMs = std::stoi(v);
    else if (a == "--seed")
      o.frames.seed = static_cast<uint32_t>(std::stoul(v));
    else if (a == "--start-time" && v.size() == 12)
      o.frames.startTime = v;
    else
      return false;
  }
  return o.baud > 0 && o.frames.frames >= 0;
}

// The line the frames go out on: a pseudo-terminal (optionally behind a fixed
// link name) or an existing device.
class Line {
 public:
  explicit Line(const Options& o) : o_(o) {}
  // The link goes with the simulator, so it never points at a pseudo-terminal
  // that another program may get next.
  ~Line() {
    Close();
    RemoveLink();
  }

  bool Open() {
    if (!o_.device.empty()) {
      // A regular file is created, so captures can be written for replay and import.
      fd_ = ::open(o_.device.c_str(), O_WRONLY | O_NOCTTY | O_CREAT | O_TRUNC, 0644);
      if (fd_ < 0)
        std::fprintf(stderr, "detector-sim: %s: %s\n", o_.device.c_str(), std::strerror(errno));
      path_ = o_.device;
      return fd_ >= 0;
    }
    int follower;
    char name[256];
    if (::openpty(&fd_, &follower, name, nullptr, nullptr) != 0) {
      std::perror("detector-sim: openpty");
      return false;
    }
    ::close(follower);
    path_ = name;
    if (!o_.link.empty()) {
      ::unlink(o_.link.c_str());
      if (::symlink(name, o_.link.c_str()) != 0) {
        std::perror("detector-sim: symlink");
        return false;
      }
      path_ = o_.link;
      std::snprintf(linkToRemove, sizeof linkToRemove, "%s", o_.link.c_str());
    }
    return true;
  }

  static void RemoveLink() {
    if (linkToRemove[0]) ::unlink(linkToRemove);
    linkToRemove[0] = 0;
  }

  // Read by the signal handler too, so a plain buffer.
  static inline char linkToRemove[4096] = "";

  // On a pseudo-terminal: waits until a program has opened the port (the
  // hang-up the master reports while nobody holds the other side goes away),
  // at most `ms`. False when nobody came.
  bool WaitForReader(int ms) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  bool Write(const char* data, size_t n) {
    while (n) {
      ssize_t w = ::write(fd_, data, n);
      if (w <= 0) return false;
      data += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }

  const std::string& Path() const { return path_; }
  bool CanUnplug() const { return o_.device.empty(); }

 private:
  const Options& o_;
  int fd_ = -1;
  std::string path_;
};

// Sends at the line's pace: one byte takes ten bit times (8N1).
class Pacer {
 public:
  explicit Pacer(long baud) : bytesPerSecond_(baud / 10.0), start_(Clock::now()) {}
  void Wait(size_t bytesSoFar) {
    std::this_thread::sleep_until(start_ +
                                  std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(bytesSoFar / bytesPerSecond_)));
  }
  void Restart(size_t bytesSoFar) {
    start_ = Clock::now() - std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(bytesSoFar / bytesPerSecond_));
  }

 private:
  using Clock = std::chrono::steady_clock;
  double bytesPerSecond_;
  Clock::time_point start_;
};

long long MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  try {
    if (!Parse(argc, argv, o)) {
      std::fputs(kUsage, stderr);
      return 2;
    }
  } catch (const std::exception&) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // Stopped by a signal: the link goes all the same.
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) {  // SIGPIPE: nobody reads its output any more
    std::signal(sig, [](int number) {
      if (Line::linkToRemove[0]) ::unlink(Line::linkToRemove);
      _exit(128 + number);
    });
  }
  Line line(o);
  if (!line.Open()) return 2;
  std::printf("PORT %s\n", line.Path().c_str());
  std::fflush(stdout);
  if (o.waitForReaderMs > 0 && !line.WaitForReader(o.waitForReaderMs)) {
    std::fprintf(stderr, "detector-sim: nobody opened the port\n");
    Line::RemoveLink();
    return 3;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(o.startDelayMs));

  const std::vector<SimulatedChunk> chunks = MakeSimulatedFrames(o.frames);
  Pacer pacer(o.baud);
  size_t sent = 0;
  long long lastFrameEndNs = 0;  // just before the write that completes the last frame
  for (size_t i = 0; i < chunks.size(); ++i) {
    const std::string& bytes = chunks[i].bytes;
    if (o.cut && i == chunks.size() / 2 && line.CanUnplug()) {
      // Half a frame, then the cable is pulled; the device comes back after two
      // seconds and goes on with the next frame, as a real one would.
      const size_t half = 90;
      line.Write(bytes.data(), half);
      sent += half;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      line.Close();
      std::printf("UNPLUGGED\n");
      std::fflush(stdout);
      std::this_thread::sleep_for(std::chrono::seconds(2));
      if (!line.Open()) return 2;
      std::printf("PLUGGED %s\n", line.Path().c_str());
      std::fflush(stdout);
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the port timer reopens it
      pacer.Restart(sent);
      continue;
    }
    for (size_t at = 0; at < bytes.size(); at += 32) {
      const size_t n = std::min<size_t>(32, bytes.size() - at);
      if (i + 1 == chunks.size() && at < 179 && at + n >= 179) lastFrameEndNs = MonotonicNs();
      if (!line.Write(bytes.data() + at, n)) {
        std::fprintf(stderr, "detector-sim: write failed\n");
        return 1;
      }
      sent += n;
      pacer.Wait(sent);
    }
    if (o.intervalMs > 0 && i + 1 < chunks.size()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(o.intervalMs));
      pacer.Restart(sent);
    }
  }
  std::printf("SENT %zu frames, last byte at %lld ns\n", chunks.size(), lastFrameEndNs);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::milliseconds(o.lingerMs));
  return 0;
}

#pragma once

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <string>

// A pseudo-terminal pair for serial tests: the program opens `path` (the
// follower side) like a serial port; the test writes detector bytes to the
// leader side. Closing the leader looks like an unplugged device.
class PtyPair {
 public:
  PtyPair() {
    int follower = -1;
    char name[256];
    if (::openpty(&leader_, &follower, name, nullptr, nullptr) == 0) {
      path_ = name;
      ::close(follower);  // the program under test opens its own
      ::fcntl(leader_, F_SETFL, ::fcntl(leader_, F_GETFL) | O_NONBLOCK);
    }
  }
  ~PtyPair() { CloseLeader(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  // Writes all bytes; false when nobody reads them for two seconds.
  bool Write(const std::string& bytes) const {
    size_t done = 0;
    for (int idle = 0; done < bytes.size() && idle < 2000;) {
      ssize_t n = ::write(leader_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<size_t>(n);
        idle = 0;
      } else if (n < 0 && errno == EAGAIN) {
        ::usleep(1000);
        ++idle;
      } else {
        return false;
      }
    }
    return done == bytes.size();
  }
  void CloseLeader() {
    if (leader_ >= 0) ::close(leader_);
    leader_ = -1;
  }

 private:
  int leader_ = -1;
  std::string path_;
};

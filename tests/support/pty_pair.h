#pragma once

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

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
    }
  }
  ~PtyPair() { CloseLeader(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  bool Write(const std::string& bytes) const {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(leader_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  void CloseLeader() {
    if (leader_ >= 0) ::close(leader_);
    leader_ = -1;
  }

 private:
  int leader_ = -1;
  std::string path_;
};

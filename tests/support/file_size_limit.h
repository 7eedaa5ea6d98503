#pragma once

#ifdef _WIN32
// Windows has no file size limit for a process: the full-disk tests are
// POSIX only, and on Windows this only stands in for the fixtures' Lift.
class FileSizeLimit {
 public:
  void Lift() {}
};
#else
#include <sys/resource.h>

#include <csignal>
#include <cstdint>

// A full disk for this process: no file grows past the limit until it is
// lifted (at the latest when this goes away).
class FileSizeLimit {
 public:
  FileSizeLimit() = default;
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() { Lift(); }

  void Set(uintmax_t bytes) {
    if (!set_) ::getrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    set_ = true;
  }
  void Lift() {
    if (set_) ::setrlimit(RLIMIT_FSIZE, &old_);
    set_ = false;
  }

 private:
  rlimit old_{};
  bool set_ = false;
};
#endif  // _WIN32

#include <fcntl.h>
#include <leveldb/env.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "store/table_read_env.h"

namespace {

leveldb::Status Failure(const std::string& name, int error) {
  if (error == ENOENT) return leveldb::Status::NotFound(name, std::strerror(error));
  return leveldb::Status::IOError(name, std::strerror(error));
}

class PreadFile : public leveldb::RandomAccessFile {
 public:
  PreadFile(std::string name, int fd) : name_(std::move(name)), fd_(fd) {}
  ~PreadFile() override { ::close(fd_); }

  leveldb::Status Read(uint64_t offset, size_t n, leveldb::Slice* result,
                       char* scratch) const override {
    size_t done = 0;
    while (done < n) {
      const ssize_t got = ::pread(fd_, scratch + done, n - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        *result = leveldb::Slice(scratch, 0);
        return Failure(name_, errno);
      }
      if (got == 0) break;  // the end of the file
      done += static_cast<size_t>(got);
    }
    *result = leveldb::Slice(scratch, done);
    return leveldb::Status::OK();
  }

 private:
  const std::string name_;
  const int fd_;
};

class PreadEnv : public leveldb::EnvWrapper {
 public:
  PreadEnv() : EnvWrapper(leveldb::Env::Default()) {}
  leveldb::Status NewRandomAccessFile(const std::string& name,
                                      leveldb::RandomAccessFile** result) override {
    *result = nullptr;
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Failure(name, errno);
    *result = new PreadFile(name, fd);
    return leveldb::Status::OK();
  }
};

}  // namespace

leveldb::Env* TableReadEnv() {
  static PreadEnv env;  // never destroyed before the databases that use it
  return &env;
}

#include <leveldb/env.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/win_text.h"
#include "store/table_read_env.h"

namespace {

// Table files read with positioned ReadFile calls instead of being mapped.
class PositionedFile : public leveldb::RandomAccessFile {
 public:
  PositionedFile(std::string name, HANDLE handle) : name_(std::move(name)), handle_(handle) {}
  ~PositionedFile() override { ::CloseHandle(handle_); }

  leveldb::Status Read(uint64_t offset, size_t n, leveldb::Slice* result,
                       char* scratch) const override {
    size_t done = 0;
    while (done < n) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset + done);
      at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
      DWORD got = 0;
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
      if (!::ReadFile(handle_, scratch + done, piece, &got, &at)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        *result = leveldb::Slice(scratch, 0);
        return leveldb::Status::IOError(name_, WindowsErrorText(error));
      }
      if (got == 0) break;  // the end of the file
      done += got;
    }
    *result = leveldb::Slice(scratch, done);
    return leveldb::Status::OK();
  }

 private:
  const std::string name_;
  const HANDLE handle_;
};

// Logs and manifests written with read sharing: leveldb's own Windows files
// are exclusive, so no other program (residue-tool reading a copy of a
// database the window holds) could read them while the database is open.
class SharedWritableFile : public leveldb::WritableFile {
 public:
  SharedWritableFile(std::string name, HANDLE handle) : name_(std::move(name)), handle_(handle) {}
  ~SharedWritableFile() override { (void)Close(); }

  leveldb::Status Append(const leveldb::Slice& data) override {
    buffer_.append(data.data(), data.size());
    return buffer_.size() >= kBufferSize ? Flush() : leveldb::Status::OK();
  }
  leveldb::Status Close() override {
    leveldb::Status status = Flush();
    if (handle_ != INVALID_HANDLE_VALUE) {
      if (!::CloseHandle(handle_) && status.ok()) status = Error(::GetLastError());
      handle_ = INVALID_HANDLE_VALUE;
    }
    return status;
  }
  leveldb::Status Flush() override {
    size_t done = 0;
    while (done < buffer_.size()) {
      DWORD wrote = 0;
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(buffer_.size() - done, 1u << 30));
      if (!::WriteFile(handle_, buffer_.data() + done, piece, &wrote, nullptr)) {
        buffer_.erase(0, done);
        return Error(::GetLastError());
      }
      done += wrote;
    }
    buffer_.clear();
    return leveldb::Status::OK();
  }
  leveldb::Status Sync() override {
    const leveldb::Status status = Flush();
    if (!status.ok()) return status;
    return ::FlushFileBuffers(handle_) ? leveldb::Status::OK() : Error(::GetLastError());
  }

 private:
  static constexpr size_t kBufferSize = 64 * 1024;
  leveldb::Status Error(DWORD error) const {
    return leveldb::Status::IOError(name_, WindowsErrorText(error));
  }

  const std::string name_;
  HANDLE handle_;
  std::string buffer_;
};

// The database's lock: the LOCK file open for writing, shared for reading
// only, and locked whole. Closing the handle releases both.
class HeldLock : public leveldb::FileLock {
 public:
  explicit HeldLock(HANDLE handle) : handle_(handle) {}
  ~HeldLock() override { ::CloseHandle(handle_); }

 private:
  const HANDLE handle_;
};

leveldb::Status LockStatus(const std::string& name, DWORD error) {
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
    return leveldb::Status::IOError(name, kLockHeldText);
  return leveldb::Status::IOError(name, WindowsErrorText(error));
}

class PositionedEnv : public leveldb::EnvWrapper {
 public:
  PositionedEnv() : EnvWrapper(leveldb::Env::Default()) {}
  leveldb::Status NewRandomAccessFile(const std::string& name,
                                      leveldb::RandomAccessFile** result) override {
    *result = nullptr;
    // leveldb's own Windows environment takes names in the ANSI code page.
    const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_READONLY, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return leveldb::Status::NotFound(name, WindowsErrorText(error));
      return leveldb::Status::IOError(name, WindowsErrorText(error));
    }
    *result = new PositionedFile(name, handle);
    return leveldb::Status::OK();
  }

  leveldb::Status NewWritableFile(const std::string& name,
                                  leveldb::WritableFile** result) override {
    return OpenForWriting(name, CREATE_ALWAYS, result);
  }
  leveldb::Status NewAppendableFile(const std::string& name,
                                    leveldb::WritableFile** result) override {
    return OpenForWriting(name, OPEN_ALWAYS, result);
  }

  leveldb::Status LockFile(const std::string& name, leveldb::FileLock** lock) override {
    *lock = nullptr;
    const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return LockStatus(name, ::GetLastError());
    if (!::LockFile(handle, 0, 0, MAXDWORD, MAXDWORD)) {
      const DWORD error = ::GetLastError();
      ::CloseHandle(handle);
      return LockStatus(name, error);
    }
    *lock = new HeldLock(handle);
    return leveldb::Status::OK();
  }

  leveldb::Status UnlockFile(leveldb::FileLock* lock) override {
    delete lock;
    return leveldb::Status::OK();
  }

 private:
  static leveldb::Status OpenForWriting(const std::string& name, DWORD disposition,
                                        leveldb::WritableFile** result) {
    *result = nullptr;
    const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
      return leveldb::Status::IOError(name, WindowsErrorText(::GetLastError()));
    if (disposition == OPEN_ALWAYS) ::SetFilePointer(handle, 0, nullptr, FILE_END);
    *result = new SharedWritableFile(name, handle);
    return leveldb::Status::OK();
  }
};

}  // namespace

leveldb::Env* TableReadEnv() {
  static PositionedEnv env;  // never destroyed before the databases that use it
  return &env;
}

// Crash-safe writes and the cleanup of temporaries: the POSIX side.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/file_io.h"

bool AppendDurably(const std::string& path, const std::string& bytes) {
  if (!CheckOutputPath(path)) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool written = WriteFully(fd, bytes) && ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return written;
}

bool WriteFully(int fd, const std::string& bytes, bool socket) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = socket ? ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                             : ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

namespace {

// The file a write to `path` must change: the target of a symbolic link
// (followed to its end, relative to the link's folder), else the path itself.
std::string WriteTarget(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path target = path;
  for (int hops = 0; hops < 40 && fs::is_symlink(target, error); ++hops) {
    const fs::path next = fs::read_symlink(target, error);
    if (error) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target.string();
}

// Rewrites an existing file in place: from offset 0, cut to the new length,
// flushed. On a failure the old bytes go back the same way.
bool RewriteInPlace(const std::string& path, const std::string& bytes) {
  std::string old;
  if (!ReadWholeFile(path, old)) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  auto put = [fd](const std::string& content) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && WriteFully(fd, content) &&
           ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 && ::fsync(fd) == 0;
  };
  const bool ok = put(bytes);
  if (!ok) put(old);
  ::close(fd);
  return ok;
}

}  // namespace

bool ReplaceFileContent(const std::string& path, const std::string& bytes) {
  if (!CheckOutputPath(path)) return false;  // never a device, FIFO or folder
  const std::string target = WriteTarget(path);
  struct stat old;
  mode_t mode = 0644;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists) {
    if (S_ISDIR(old.st_mode)) return false;
    // Root may write anything; a file without any write bit is still not
    // meant to be replaced.
    if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) return false;
    mode = old.st_mode & 07777;
  }
  std::string temp = target + ".tmp-XXXXXX";
  int fd = ::mkstemp(&temp[0]);
  if (fd < 0) return exists && (errno == EACCES || errno == EPERM) && RewriteInPlace(target, bytes);
  bool ok = ::fchmod(fd, mode) == 0 && WriteFully(fd, bytes) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

MadeFile ReplaceWithMadeFile(const std::string& path,
                             const std::function<bool(const std::string& temporary)>& make) {
  if (!CheckOutputPath(path)) return MadeFile::kNotReplaced;
  // Named after this process, so a later start can tell a leftover of a crash.
  std::string temporary = (std::filesystem::temp_directory_path() /
                           ("residue-output-" + std::to_string(::getpid()) + "-XXXXXX"))
                              .string();
  const int fd = ::mkstemp(&temporary[0]);
  if (fd < 0) return MadeFile::kNotMade;
  ::close(fd);
  std::string bytes;
  const bool made = make(temporary) && ReadWholeFile(temporary, bytes) && !bytes.empty();
  ::unlink(temporary.c_str());
  if (!made) return MadeFile::kNotMade;
  return ReplaceFileContent(path, bytes) ? MadeFile::kReplaced : MadeFile::kNotReplaced;
}

void RemoveStaleOutputTemporaries() {
  namespace fs = std::filesystem;
  std::error_code error;
  const std::string prefix = "residue-output-";
  for (fs::directory_iterator it(fs::temp_directory_path(error), error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid <= 0) continue;
    // A process that is still there (or not ours to ask) keeps its file.
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    std::error_code ignored;
    fs::remove(it->path(), ignored);
  }
}

void UseBinaryStandardStreams() {}

std::string MakeTemporaryFolder(const std::string& prefix, const std::string& parent) {
  const std::filesystem::path in =
      parent.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(parent);
  std::string pattern = (in / (prefix + "XXXXXX")).string();
  return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

bool CopyNewFile(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (out < 0) {
    const int error = errno;
    ::close(in);
    errno = error;
    return false;
  }
  bool ok = true;
  bool inKernel = true;
  std::string buffer;
  for (;;) {
    ssize_t n = -1;
    if (inKernel) {
      n = ::copy_file_range(in, nullptr, out, nullptr, size_t{1} << 30, 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        inKernel = false;  // across file systems on older kernels: through a buffer
        continue;
      }
    } else {
      buffer.resize(size_t{1} << 20);
      n = ::read(in, buffer.data(), buffer.size());
      if (n > 0) {
        buffer.resize(static_cast<size_t>(n));
        if (!WriteFully(out, buffer)) n = -1;
      }
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
  }
  const int error = errno;
  ::close(in);
  if (::close(out) != 0 && ok) {
    ok = false;
  } else {
    errno = error;
  }
  return ok;
}

bool SyncFileSystem(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::syncfs(fd) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return ok;
}

bool ReadFileChunks(const std::string& path,
                    const std::function<bool(const char* bytes, size_t length)>& chunk) {
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::string buffer(size_t{1} << 20, '\0');
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!chunk(buffer.data(), static_cast<size_t>(n))) {
      ok = false;
      break;
    }
  }
  const int error = errno;
  ::close(in);
  errno = error;
  return ok;
}

bool SyncFolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot
  const int error = errno;
  ::close(fd);
  errno = error;
  return ok;
}

int PortableErrno(int error) {
  switch (error) {
    case EDQUOT:
      return ENOSPC;  // over the quota: full, as far as the operator can tell
    case ESTALE:
      return EIO;  // a network folder that went away
    default:
      return error;
  }
}

#include "base/file_io.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (file.bad()) {
    bytes.clear();
    return false;
  }
  return true;
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
  std::string temporary =
      (std::filesystem::temp_directory_path() / "residue-output-XXXXXX").string();
  const int fd = ::mkstemp(&temporary[0]);
  if (fd < 0) return MadeFile::kNotMade;
  ::close(fd);
  std::string bytes;
  const bool made = make(temporary) && ReadWholeFile(temporary, bytes) && !bytes.empty();
  ::unlink(temporary.c_str());
  if (!made) return MadeFile::kNotMade;
  return ReplaceFileContent(path, bytes) ? MadeFile::kReplaced : MadeFile::kNotReplaced;
}

#include "base/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string SizeText(uintmax_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

std::string TooBig(const std::string& path, const std::string& size, size_t limit) {
  return "文件太大（" + size + "，最多 " + SizeText(limit) + "），没有读取: " + path;
}

}  // namespace

bool ReadWholeStream(std::istream& in, std::string& bytes, std::string* problem, size_t limit) {
  bytes.clear();
  char chunk[1 << 16];
  while (in) {
    in.read(chunk, sizeof chunk);
    bytes.append(chunk, static_cast<size_t>(in.gcount()));
    if (bytes.size() > limit) {
      bytes.clear();
      if (problem) *problem = TooBig("-", "超过 " + SizeText(limit), limit);
      return false;
    }
  }
  if (in.bad()) {
    bytes.clear();
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* problem,
                   size_t limit) {
  bytes.clear();
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    if (problem) *problem = "这是一个文件夹，不是文件: " + path;
    return false;
  }
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > limit) {
    if (problem) *problem = TooBig(path, SizeText(size), limit);
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (problem) *problem = "无法打开文件: " + path;
    return false;
  }
  // Bounded even where the size says nothing (a device, a FIFO).
  if (!ReadWholeStream(file, bytes, problem, limit)) {
    if (problem && !problem->empty()) *problem = TooBig(path, "超过 " + SizeText(limit), limit);
    return false;
  }
  return true;
}

std::string OutputPathProblem(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error && error.value() == ELOOP) return "不是普通文件: " + path + "（符号链接形成循环）";
  if (error || status.type() == fs::file_type::not_found) return "";  // a new file
  if (status.type() == fs::file_type::regular) return "";
  if (status.type() == fs::file_type::directory) return "不是普通文件: " + path + "（这是文件夹）";
  return "不是普通文件: " + path + "（设备、管道或其他特殊文件）";
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
  if (!OutputPathProblem(path).empty()) return false;  // never a device, FIFO or folder
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
  if (!OutputPathProblem(path).empty()) return MadeFile::kNotReplaced;
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

#include "output/label_transport.h"

#include <fcntl.h>
#include <netdb.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/file_io.h"
#include "output/tspl_preview.h"

extern char** environ;

namespace {

String SystemText(int error) { return String::FromBytes(std::strerror(error), cp::kUtf8); }

bool WriteAll(int fd, const std::string& bytes, String& error, bool socket = false) {
  if (WriteFully(fd, bytes, socket)) return true;
  error = SystemText(errno);
  return false;
}

class NamedTransport : public LabelTransport {
 public:
  explicit NamedTransport(const String& name) : name_(name) {}
  const String& Name() const override { return name_; }

 private:
  String name_;
};

// A network printer's raw port: one connection per label, closed after it.
class TcpTransport : public NamedTransport {
 public:
  TcpTransport(const String& name, std::string host, std::string port)
      : NamedTransport(name), host_(std::move(host)), port_(std::move(port)) {}

  bool Deliver(const std::string& tspl, String& error) override {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host_.c_str(), port_.c_str(), &hints, &found) != 0 || !found) {
      error = u"cannot resolve the printer's address";
      return false;
    }
    int fd = -1;
    int lastError = ECONNREFUSED;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
      fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
      if (fd < 0) continue;
      timeval timeout{5, 0};  // a printer that hangs must not hang the window
      ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
      if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
        lastError = errno;
        ::close(fd);
        fd = -1;
      }
    }
    ::freeaddrinfo(found);
    if (fd < 0) {
      error = SystemText(lastError);
      return false;
    }
    const bool ok = WriteAll(fd, tspl, error, true);
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
    return ok;
  }

 private:
  std::string host_, port_;
};

class DeviceTransport : public NamedTransport {
 public:
  DeviceTransport(const String& name, std::string path)
      : NamedTransport(name), path_(std::move(path)) {}

  bool Deliver(const std::string& tspl, String& error) override {
    int fd = ::open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      error = SystemText(errno);
      return false;
    }
    bool ok = WriteAll(fd, tspl, error);
    if (::close(fd) != 0 && ok) {
      error = SystemText(errno);
      ok = false;
    }
    return ok;
  }

 private:
  std::string path_;
};

// A raw job for a CUPS queue through `lp`, fed on its standard input; no shell.
class CupsTransport : public NamedTransport {
 public:
  CupsTransport(const String& name, std::string queue)
      : NamedTransport(name), queue_(std::move(queue)) {}

  bool Deliver(const std::string& tspl, String& error) override {
    static const bool ignorePipeSignal = [] {
      ::signal(SIGPIPE, SIG_IGN);  // an lp that exits early must not end the program
      return true;
    }();
    (void)ignorePipeSignal;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
      error = SystemText(errno);
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("lp"), const_cast<char*>("-d"),  queue_.data(),
                    const_cast<char*>("-o"), const_cast<char*>("raw"), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, "lp", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);
    if (spawned != 0) {
      ::close(pipeFds[1]);
      error = spawned == ENOENT ? String(u"lp is not installed") : SystemText(spawned);
      return false;
    }
    const bool wrote = WriteAll(pipeFds[1], tspl, error);
    ::close(pipeFds[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!wrote) return false;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      error = u"lp refused the job";
      return false;
    }
    return true;
  }

 private:
  std::string queue_;
};

// A folder: the TSPL of each label and a picture of it, numbered on.
class FolderTransport : public NamedTransport {
 public:
  FolderTransport(const String& name, std::string folder)
      : NamedTransport(name), folder_(std::move(folder)) {}

  bool Deliver(const std::string& tspl, String& error) override {
    std::error_code fsError;
    std::filesystem::create_directories(folder_, fsError);
    const std::string base = NextBaseName();
    if (!ReplaceFileContent(base + ".tspl", tspl)) {
      error = u"cannot write " + String::FromBytes(base + ".tspl", cp::kUtf8);
      return false;
    }
    if (!RenderTsplPreview(tspl, base + ".png")) {
      error = u"cannot write " + String::FromBytes(base + ".png", cp::kUtf8);
      return false;
    }
    return true;
  }

 private:
  std::string NextBaseName() {
    for (;; ++next_) {
      char name[32];
      std::snprintf(name, sizeof name, "label-%04d", next_);
      const std::string base = (std::filesystem::path(folder_) / name).string();
      std::error_code fsError;
      if (!std::filesystem::exists(base + ".tspl", fsError)) return base;
    }
  }

  std::string folder_;
  int next_ = 1;
};

}  // namespace

std::unique_ptr<LabelTransport> OpenLabelTransport(const String& device) {
  const String name = device.IsEmpty() ? String(u"dir:labels") : device;
  const std::string text = name.ToBytes(cp::kUtf8);
  if (text.rfind("tcp://", 0) == 0) {
    const std::string address = text.substr(6);
    const size_t colon = address.rfind(':');
    std::string host = colon == std::string::npos ? address : address.substr(0, colon);
    std::string port = colon == std::string::npos ? "9100" : address.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
      host = host.substr(1, host.size() - 2);
    return std::make_unique<TcpTransport>(name, host, port);
  }
  if (text.rfind("cups:", 0) == 0) return std::make_unique<CupsTransport>(name, text.substr(5));
  if (text.rfind("dir:", 0) == 0) return std::make_unique<FolderTransport>(name, text.substr(4));
  return std::make_unique<DeviceTransport>(name, text);
}

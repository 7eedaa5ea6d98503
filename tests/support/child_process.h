#pragma once

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

// A helper program started for a test, with its standard output readable line
// by line; stopped (SIGTERM, or TerminateProcess on Windows) and reaped when
// the object goes.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& args) { Start(args); }
  ~ChildProcess() {
    Terminate();
    if (out_) std::fclose(out_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return running_ && out_; }
  // The next line of its output without the line end (and a carriage
  // return); empty at the end.
  std::string ReadLine() {
    char line[1024];
    if (!out_ || !std::fgets(line, sizeof line, out_)) return std::string();
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
  }

#ifdef _WIN32
  // Stops it now; what it wrote before stays readable.
  void Terminate() {
    if (!running_) return;
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, INFINITE);
    ::CloseHandle(process_);
    running_ = false;
  }

 private:
  static std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      wide.data(), static_cast<int>(wide.size())));
    return wide;
  }
  // The command line that gives the program `args` back as its argv (the
  // arguments of these tests hold no quotes).
  static std::wstring CommandLine(const std::vector<std::string>& args) {
    std::wstring line;
    for (const std::string& a : args) {
      if (!line.empty()) line += L' ';
      line += L'"' + Wide(a) + L'"';
    }
    return line;
  }
  void Start(const std::vector<std::string>& args) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    // Room for all a test's helper says before the test reads it (a helper
    // whose pipe is full waits).
    if (!::CreatePipe(&read, &write, &inherited, 1 << 20)) return;
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = CommandLine(args);
    PROCESS_INFORMATION started{};
    running_ = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &started);
    ::CloseHandle(write);
    if (running_) {
      ::CloseHandle(started.hThread);
      process_ = started.hProcess;
    }
    out_ = ::_fdopen(::_open_osfhandle(reinterpret_cast<intptr_t>(read), _O_RDONLY), "r");
  }

  HANDLE process_ = nullptr;
#else
  // Stops it now; what it wrote before stays readable.
  void Terminate() {
    if (!running_) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    running_ = false;
  }

 private:
  void Start(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    running_ = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = ::fdopen(fds[0], "r");
  }

  pid_t pid_ = -1;
#endif
  bool running_ = false;
  FILE* out_ = nullptr;
};

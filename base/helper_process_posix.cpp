#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "base/bounded_io.h"
#include "base/helper_process.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

bool AwaitExit(pid_t pid, Clock::time_point deadline, const std::atomic<bool>* abort, int& status) {
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return true;
    if ((abort && *abort) || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(kAbortSliceMs / 2));
  }
}

std::string ReadSome(int fd) {
  char buffer[512];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  std::string text = n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

HelperOutcome RunHelper(const std::vector<std::string>& argv, const std::string& input,
                        int timeoutMs, const std::atomic<bool>* abort) {
  HelperOutcome outcome;
  int in[2], err[2];
  if (::pipe2(in, O_CLOEXEC) != 0) {
    outcome.systemError = errno;
    return outcome;
  }
  if (::pipe2(err, O_CLOEXEC | O_NONBLOCK) != 0) {
    outcome.systemError = errno;
    ::close(in[0]);
    ::close(in[1]);
    return outcome;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(err[1]);
  if (spawned != 0) {
    ::close(in[1]);
    ::close(err[0]);
    outcome.state = spawned == ENOENT ? HelperOutcome::kNotFound : HelperOutcome::kFailed;
    outcome.systemError = spawned;
    return outcome;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  SetNonBlocking(in[1], true);
  IoError e;
  const bool fed = WriteWithin(in[1], input, timeoutMs, abort, e);
  ::close(in[1]);
  int status = 0;
  // A helper that exits without reading all of its input leaves a broken pipe:
  // it has ended, and its status tells why.
  const bool ended =
      (fed || e.failure == IoFailure::kReset) && AwaitExit(pid, deadline, abort, status);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  outcome.inputTaken = fed;
  outcome.errorText = ReadSome(err[0]);
  ::close(err[0]);
  if (!ended) {
    outcome.state = (abort && *abort) ? HelperOutcome::kAborted : HelperOutcome::kTimedOut;
  } else if (WIFEXITED(status)) {
    outcome.state = HelperOutcome::kExited;
    outcome.exitCode = WEXITSTATUS(status);
  } else {
    outcome.state = HelperOutcome::kKilled;
  }
  return outcome;
}

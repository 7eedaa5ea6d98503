#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/bounded_io.h"
#include "base/helper_process.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Moves what the helper wrote so far on `fd` (non-blocking) into `output`;
// past the limit it is read and dropped, so the helper never stalls on a full pipe.
void Drain(int fd, std::string* output, bool& cut) {
  if (fd < 0) return;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
    const size_t room = kHelperOutputLimit - std::min(kHelperOutputLimit, output->size());
    if (static_cast<size_t>(n) > room) cut = true;
    output->append(buffer, std::min(room, static_cast<size_t>(n)));
  }
}

bool AwaitExit(pid_t pid, Clock::time_point deadline, const std::atomic<bool>* abort, int& status,
               int outFd, std::string* output, bool& cut) {
  for (;;) {
    Drain(outFd, output, cut);
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      Drain(outFd, output, cut);
      return true;
    }
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
                        int timeoutMs, const std::atomic<bool>* abort, std::string* output) {
  HelperOutcome outcome;
  int in[2], err[2], out[2] = {-1, -1};
  if (::pipe2(in, O_CLOEXEC) != 0) {
    outcome.systemError = errno;
    return outcome;
  }
  // Only our ends are non-blocking: the helper writes and reads as usual.
  if (::pipe2(err, O_CLOEXEC) != 0) {
    outcome.systemError = errno;
    ::close(in[0]);
    ::close(in[1]);
    return outcome;
  }
  if (output && ::pipe2(out, O_CLOEXEC) != 0) {
    outcome.systemError = errno;
    for (int fd : {in[0], in[1], err[0], err[1]}) ::close(fd);
    return outcome;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  if (output) {
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(err[1]);
  if (out[1] >= 0) ::close(out[1]);
  if (spawned != 0) {
    ::close(in[1]);
    ::close(err[0]);
    if (out[0] >= 0) ::close(out[0]);
    outcome.state = spawned == ENOENT ? HelperOutcome::kNotFound : HelperOutcome::kFailed;
    outcome.systemError = spawned;
    return outcome;
  }
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  SetNonBlocking(in[1], true);
  SetNonBlocking(err[0], true);
  if (out[0] >= 0) SetNonBlocking(out[0], true);
  IoError e;
  const bool fed = WriteWithin(in[1], input, timeoutMs, abort, e);
  ::close(in[1]);
  int status = 0;
  // A helper that exits without reading all of its input leaves a broken pipe:
  // it has ended, and its status tells why.
  const bool ended = (fed || e.failure == IoFailure::kReset) &&
                     AwaitExit(pid, deadline, abort, status, out[0], output, outcome.outputCut);
  if (!ended) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
  }
  outcome.inputTaken = fed;
  outcome.errorText = ReadSome(err[0]);
  ::close(err[0]);
  if (out[0] >= 0) ::close(out[0]);
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

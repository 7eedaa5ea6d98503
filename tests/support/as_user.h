#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// Runs `work` as a user whom file permissions bind: in a child process as
// "nobody" (65534) when the tests run as root, which passes every permission
// check, else directly. True when `work` returned true.
inline bool AsOrdinaryUser(const std::function<bool()>& work) {
  if (::geteuid() != 0) return work();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(2);
    _exit(work() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

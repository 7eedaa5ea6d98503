// Helper programs on Windows: CreateProcessW with pipes for its standard
// streams, each pipe served by a thread of its own, the process killed past
// the time-out or on abort (its pipes then close and the threads end).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "base/bounded_io.h"
#include "base/helper_process.h"
#include "base/win_text.h"

namespace {

// One argument quoted for CommandLineToArgvW, the way C runtimes split them.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
    return argument;
  std::wstring quoted = L"\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < argument.size() && argument[i] == L'\\') {
      ++backslashes;
      ++i;
    }
    if (i == argument.size()) {
      quoted.append(backslashes * 2, L'\\');
      break;
    }
    if (argument[i] == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    quoted += argument[i];
  }
  return quoted + L"\"";
}

// A pipe whose one end the helper inherits.
struct Pipe {
  HANDLE ours = nullptr;
  HANDLE theirs = nullptr;
  bool Make(bool theyRead) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &inherit, 0)) return false;
    ours = theyRead ? write : read;
    theirs = theyRead ? read : write;
    ::SetHandleInformation(ours, HANDLE_FLAG_INHERIT, 0);
    return true;
  }
  void CloseTheirs() {
    if (theirs) ::CloseHandle(theirs);
    theirs = nullptr;
  }
  void CloseOurs() {
    if (ours) ::CloseHandle(ours);
    ours = nullptr;
  }
  ~Pipe() {
    CloseTheirs();
    CloseOurs();
  }
};

void ReadAll(HANDLE from, std::string& into, size_t limit, bool& cut) {
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(from, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    const size_t room = limit - std::min(limit, into.size());
    if (n > room) cut = true;
    into.append(buffer, std::min<size_t>(room, n));
  }
}

}  // namespace

HelperOutcome RunHelper(const std::vector<std::string>& argv, const std::string& input,
                        int timeoutMs, const std::atomic<bool>* abort, std::string* output) {
  HelperOutcome outcome;
  Pipe in, out, err;
  if (!in.Make(true) || !out.Make(false) || !err.Make(false)) {
    outcome.systemError = ErrnoFromWindows(::GetLastError());
    return outcome;
  }
  std::wstring commandLine;
  for (const std::string& argument : argv) {
    if (!commandLine.empty()) commandLine += L' ';
    commandLine += Quoted(WideFromUtf8(argument));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.theirs;
  startup.hStdOutput = out.theirs;
  startup.hStdError = err.theirs;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
    const DWORD code = ::GetLastError();
    outcome.state = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                        ? HelperOutcome::kNotFound
                        : HelperOutcome::kFailed;
    outcome.systemError = ErrnoFromWindows(code);
    return outcome;
  }
  ::CloseHandle(process.hThread);
  in.CloseTheirs();
  out.CloseTheirs();
  err.CloseTheirs();

  bool fed = false;
  std::thread feeder([&] {
    size_t done = 0;
    while (done < input.size()) {
      DWORD n = 0;
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(input.size() - done, 1 << 16));
      if (!::WriteFile(in.ours, input.data() + done, piece, &n, nullptr) || n == 0) break;
      done += n;
    }
    fed = done == input.size();
    in.CloseOurs();
  });
  std::string kept, errors;
  bool cut = false, errorsCut = false;
  std::thread reader([&] { ReadAll(out.ours, kept, kHelperOutputLimit, cut); });
  std::thread errorReader([&] { ReadAll(err.ours, errors, 512, errorsCut); });

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  bool ended = false;
  for (;;) {
    if (::WaitForSingleObject(process.hProcess, kAbortSliceMs / 2) == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
    if ((abort && *abort) || std::chrono::steady_clock::now() >= deadline) break;
  }
  if (!ended) {
    ::TerminateProcess(process.hProcess, 1);
    ::WaitForSingleObject(process.hProcess, INFINITE);
  }
  feeder.join();
  reader.join();
  errorReader.join();
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);

  outcome.inputTaken = fed;
  if (output) *output = kept;
  outcome.outputCut = cut;
  while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) errors.pop_back();
  outcome.errorText = errors;
  if (!ended) {
    outcome.state = (abort && *abort) ? HelperOutcome::kAborted : HelperOutcome::kTimedOut;
  } else {
    outcome.state = HelperOutcome::kExited;
    outcome.exitCode = static_cast<int>(code);
  }
  return outcome;
}

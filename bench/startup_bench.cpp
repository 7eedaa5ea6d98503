// Start-up with a large database: fills a temporary "storage" with N records
// (default 100,000), starts residue-station on the offscreen platform with
// --screenshot, and reports the time from process start to the window shown
// with every row listed, and the process's peak memory.
//   startup_bench [RECORDS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/stored_records.h"
#include "store/record_db.h"

extern char** environ;

namespace {

long long MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

void Fill(const std::string& folder, int records) {
  RecordDb db(folder);
  StoreSampleRecords(db, records, 7, 5);
}

}  // namespace

int main(int argc, char** argv) {
  const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
  const auto dir = std::filesystem::temp_directory_path() / "residue_startup_bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  Fill((dir / "storage").string(), records);

  const std::string shot = (dir / "shot.png").string();
  const std::string log = (dir / "stderr.txt").string();
  std::string exe = RESIDUE_STATION;
  char* args[] = {exe.data(), const_cast<char*>("--screenshot"), const_cast<char*>(shot.c_str()),
                  nullptr};
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  const long long started = MonotonicNs();
  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, args, environ) != 0) {
    std::perror("posix_spawn");
    return 1;
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);

  std::ifstream in(log);
  std::string line;
  long long shownNs = 0;
  unsigned rows = 0;
  while (std::getline(in, line)) {
    if (std::sscanf(line.c_str(), "shown: %u rows at %lld ns", &rows, &shownNs) == 2) break;
  }
  std::printf("records stored %d, rows listed %u, exit status %d\n", records, rows,
              WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  std::printf("process start to window shown with every row: %.0f ms\n", (shownNs - started) / 1e6);
  std::printf("peak memory (max RSS): %.0f MB\n", usage.ru_maxrss / 1024.0);
  std::filesystem::remove_all(dir);
  return rows == static_cast<unsigned>(records) ? 0 : 1;
}

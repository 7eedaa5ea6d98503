// How the program scales with the size of its database. Builds realistic
// databases once (bench/varied_records.h; kept in the temporary folder for
// later runs) and, for each size, starts the window in a fresh process on the
// offscreen platform and measures:
//   start     process start to the window shown and painted with every row
//   peak      the process's peak memory (max RSS) with the window shown,
//             and after the commands below
//   select    "全选" ticking every record (stored in one write), unticking
//             them all, and the floor: the same puts made beforehand, one write
//   export    the text export of every record, written to a file
//   delete    deleting the ticked half (a second process)
//   close     the window's close to the process's end
//   tick, scroll, page, row: a click on a row's box, a jump to the middle of
//             the list, a switch to the settings page and back, a new
//             detector row (each with its repaint)
//   find, sort: "城" typed into the search box, then the rows shown sorted
//             by the tested unit (each until the list is repainted)
// Commands that run on a worker (from 20,000 records on) are measured until
// they have ended; book_stall_bench measures how long each holds the window.
// Warm cache unless --cold, which drops the page cache (as root; otherwise
// evicts the database's files) before each start.
//   scale_bench [--cold] [SIZES...]     (default 10000 100000 300000 1000000)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/main_frame_wnd.h"
#include "base/config.h"
#include "bench/varied_databases.h"
#include "tests/support/varied_records.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

long long NowNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

bool AnswerYes(const QString&, MessageKind, const QString&) { return true; }

QString exportPath;
QString ExportTo(const QString&) { return exportPath; }

// --- the child: one window over one database ---------------------------------

void Report(const char* name, long long ns) { std::printf("%s %lld\n", name, ns); }

// The process's peak memory so far, in kB.
long long PeakKb() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  char line[256];
  long long kb = 0;
  while (status && std::fgets(line, sizeof line, status)) {
    if (std::sscanf(line, "VmHWM: %lld", &kb) == 1) break;
  }
  if (status) std::fclose(status);
  return kb;
}

template <class Work>
long long Timed(Work work) {
  const long long start = NowNs();
  work();
  return NowNs() - start;
}

// The floor of a start: a plain table over the same database, every stored
// value read into memory and one column shown.
class PlainModel : public QAbstractTableModel {
 public:
  explicit PlainModel(std::vector<std::pair<std::string, std::string>>& entries)
      : entries_(entries) {}
  int rowCount(const QModelIndex&) const override { return static_cast<int>(entries_.size()); }
  int columnCount(const QModelIndex&) const override { return 2; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole) return QVariant();
    const auto& entry = entries_[static_cast<size_t>(index.row())];
    return QString::fromLatin1(index.column() ? entry.second.substr(0, 40).c_str()
                                              : entry.first.c_str());
  }

 private:
  std::vector<std::pair<std::string, std::string>>& entries_;
};

int RunFloor(const std::string& folder) {
  std::vector<std::pair<std::string, std::string>> entries;
  RecordDb db(folder + "/storage");
  db.ForEachRaw([&](const char* key, size_t n, const char* value, size_t m) {
    entries.emplace_back(std::string(key, n), std::string(value, m));
  });
  PlainModel model(entries);
  QTableView view;
  view.setModel(&model);
  view.resize(800, 572);
  view.show();
  view.viewport()->repaint();
  Report("shown", NowNs());
  std::printf("rows %zu\n", entries.size());
  return 0;
}

int RunChild(int argc, char** argv) {
  const std::string folder = argv[2];
  const std::string mode = argv[3];
  QApplication app(argc, argv);
  if (mode == "floor") return RunFloor(folder);
  SetConfigPath(folder + "/residue-station.Json");
  SetMessageBoxHandler(AnswerYes);
  exportPath = QString::fromStdString(folder + "/export.txt");
  SetSaveFileHandler(ExportTo);
  MainFrameOptions options;
  options.skinFolder = QString::fromUtf8(SKIN_DIR);
  options.storageFolder = folder + "/storage";
  options.capturePath = folder + "/data.txt";
  auto* window = new MainFrameWnd(options);
  QString error;
  if (!window->Create(&error)) return 3;
  Report("loadpeak", PeakKb());
  window->CenterAndShow();
  RecordListView* list = window->RecordList();
  list->viewport()->repaint();
  Report("shown", NowNs());
  std::printf("rows %u\n", window->Records().Count());
  Report("startpeak", PeakKb());
  auto click = [&](const char* name) { window->findChild<QPushButton*>(name)->click(); };
  // Work over many records runs on a worker: measured until it has ended
  // and the list is repainted.
  auto paint = [&] {
    while (window->IsBookBusy() || window->IsWritingOutput())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    list->viewport()->repaint();
  };
  if (mode == "ops") {
    Report("tick", Timed([&] {
             const QRect cell = list->visualRect(list->model()->index(0, 0));
             QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
             paint();
           }));
    Report("scroll", Timed([&] {
             list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() / 2);
             paint();
           }));
    Report("page", Timed([&] {
             click("setup");
             window->repaint();
             click("data");
             window->repaint();
           }));
    String key(u"991231235959"), text;
    VariedRecords().Next(key, text);
    QCoreApplication::processEvents();  // what showing the window left to do
    Report("row", Timed([&] {
             window->HandOverRecord(key, text, true, false, u"");
             QCoreApplication::processEvents();
             paint();
           }));
    // Finding: one character typed into the search box (every record looked
    // at), then sorting the rows shown by the tested unit, then back.
    auto* find = window->findChild<QLineEdit*>("EditFind");
    Report("find", Timed([&] {
             find->setText(QStringLiteral("城"));
             window->ApplyFindBar();
             paint();
           }));
    Report("sort", Timed([&] {
             window->OnHeaderClicked(5);
             paint();
           }));
    window->ClearFind();
    Report("export", Timed([&] {
             click("btn_export");
             paint();
           }));
    auto* all = window->findChild<QCheckBox*>("selall");
    Report("select", Timed([&] {
             all->click();
             paint();
           }));
    Report("unselect", Timed([&] {
             all->click();
             paint();
           }));
    Report("opspeak", PeakKb());  // before the floor's own copy of the values
    // The floor of a select-all: the same puts, made beforehand, in one write.
    std::vector<std::pair<std::string, std::string>> puts;
    window->Database().ForEachRaw([&](const char* key, size_t n, const char* value, size_t m) {
      std::string v(value, m);
      const size_t flag = v.find("\"selected\":false");
      if (flag != std::string::npos) v.replace(flag, 16, "\"selected\":true");
      puts.emplace_back(std::string(key, n), std::move(v));
    });
    Report("floor", Timed([&] {
             RecordDb::Batch batch;
             for (const auto& [key, value] : puts) batch.PutBytes(key, value);
             if (!window->Database().Write(batch, true)) std::abort();
           }));
  } else if (mode == "delete") {
    Report("delete", Timed([&] {
             click("btn_delete");
             paint();
           }));
  }
  std::fflush(stdout);
  Report("closing", NowNs());
  std::fflush(stdout);
  window->close();
  delete window;
  return 0;
}

// --- the parent ----------------------------------------------------------------

const fs::path& kRoot = VariedDatabasesRoot();

fs::path Database(int records) { return VariedDatabase(records); }

// Cold start: the whole page cache dropped when the bench may (run as
// root), otherwise at least the database's files evicted.
void EvictFromPageCache(const fs::path& folder) {
  ::sync();
  if (std::FILE* drop = std::fopen("/proc/sys/vm/drop_caches", "w")) {
    const bool dropped = std::fputs("3\n", drop) >= 0;
    if (std::fclose(drop) == 0 && dropped) return;
  }
  for (const auto& entry : fs::directory_iterator(folder)) {
    const int fd = ::open(entry.path().c_str(), O_RDONLY);
    if (fd < 0) continue;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
}

struct Run {
  std::map<std::string, long long> values;
  long long startNs = 0;
  long long exitNs = 0;
  long maxRssKb = 0;
};

Run RunWindow(const std::string& self, int records, const char* mode, bool cold) {
  const fs::path work = kRoot / "run";
  fs::remove_all(work);
  fs::create_directories(work);
  if (records > 0) {
    fs::copy(Database(records), work / "storage", fs::copy_options::recursive);
    fs::remove(work / "storage" / "complete");
  }
  if (cold) EvictFromPageCache(work / "storage");
  const std::string out = (work / "child.txt").string();
  std::string folder = work.string(), modeText = mode, exe = self;
  char* args[] = {exe.data(), const_cast<char*>("--child"), folder.data(), modeText.data(),
                  nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  Run run;
  run.startNs = NowNs();
  pid_t pid;
  if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, args, environ) != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.exitNs = NowNs();
  run.maxRssKb = usage.ru_maxrss;
  std::FILE* in = std::fopen(out.c_str(), "r");
  char name[64];
  long long value;
  while (in && std::fscanf(in, "%63s %lld", name, &value) == 2) run.values[name] = value;
  if (in) std::fclose(in);
  return run;
}

double Ms(long long ns) { return ns / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  bool cold = false;
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--cold") == 0) {
      cold = true;
    } else {
      sizes.push_back(std::atoi(argv[i]));
    }
  }
  if (sizes.empty()) sizes = {10000, 100000, 300000, 1000000};
  const std::string self = fs::canonical("/proc/self/exe").string();
  fs::create_directories(kRoot);
  for (int records : sizes) Database(records);

  if (!cold) RunWindow(self, 0, "none", false);  // the program's files into the cache
  Run empty = RunWindow(self, 0, "none", cold);
  const double emptyStart = Ms(empty.values["shown"] - empty.startNs);
  std::printf("%s cache; empty database: start %.0f ms, peak %.0f MB\n\n", cold ? "cold" : "warm",
              emptyStart, empty.maxRssKb / 1024.0);
  std::printf(
      "| records | start (floor) | over empty | peak memory at start / in all | 全选 (tick / "
      "untick / "
      "floor) | "
      "export | delete half | "
      "close | tick | scroll | page | new row | find | sort |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (int records : sizes) {
    Run ops = RunWindow(self, records, "ops", cold);
    Run del = RunWindow(self, records, "delete", cold);
    auto& v = ops.values;
    if (v["rows"] != records || del.values["rows"] != records) {
      std::fprintf(stderr, "%d records: the window listed %lld rows\n", records, v["rows"]);
    }
    Run floor = RunWindow(self, records, "floor", cold);
    const double start = Ms(v["shown"] - ops.startNs);
    const double floorStart = Ms(floor.values["shown"] - floor.startNs);
    std::printf(
        "| %d | %.0f (%.0f) ms | %.0f ms | %.0f / %.0f MB | %.0f / %.0f / %.0f ms | %.0f ms | %.0f "
        "ms | "
        "%.0f ms "
        "| %.1f ms "
        "| %.1f ms | %.1f ms | %.1f ms | %.0f ms | %.0f ms |\n",
        records, start, floorStart, start - emptyStart, v["startpeak"] / 1024.0,
        v["opspeak"] / 1024.0, Ms(v["select"]), Ms(v["unselect"]), Ms(v["floor"]), Ms(v["export"]),
        Ms(del.values["delete"]), Ms(ops.exitNs - v["closing"]), Ms(v["tick"]), Ms(v["scroll"]),
        Ms(v["page"]), Ms(v["row"]), Ms(v["find"]), Ms(v["sort"]));
    std::fflush(stdout);
  }
  fs::remove_all(kRoot / "run");
  return 0;
}

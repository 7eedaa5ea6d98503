// Backups and the recycle bin against their plain counterparts, side by side:
//   a backup of a realistic database (default 1,000,000 records) against
//   `cp -r` of its folder (and `cp -r` followed by `sync`, as a backup is
//   flushed to disk before it is called done);
//   moving 10,000 ticked records of 100,000 into the recycle bin against
//   deleting them for good.
// Each pair runs three times, alternating; the medians are printed. With
// --cold the system's file cache is emptied before each run (root only), as
// on a station PC whose database is not in memory.
//   build/bench/backup_bench [--cold] [RECORDS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/varied_databases.h"
#include "store/backup.h"
#include "store/record_book.h"
#include "store/record_store.h"
#include "store/recycle_bin.h"

namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

uintmax_t FolderBytes(const fs::path& folder) {
  uintmax_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) bytes += entry.file_size();
  return bytes;
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

bool cold = false;

// Before a measured run: everything on the disk, and (with --cold) nothing cached.
void Settle() {
  Run("sync");
  if (cold) Run("echo 3 > /proc/sys/vm/drop_caches");
}

void BenchBackup(int records) {
  const fs::path source = VariedDatabase(records);
  const fs::path work = fs::temp_directory_path() / "residue_backup_bench";
  fs::remove_all(work);
  fs::create_directories(work / "backups");
  const std::string storage = (work / "storage").string();
  fs::copy(source, storage, fs::copy_options::recursive);
  Run("sync");
  std::printf("database of %d records: %.1f MB in %s\n", records, FolderBytes(storage) / 1048576.0,
              storage.c_str());
  std::vector<double> copies, synced, backups;
  for (int round = 0; round < 3; ++round) {
    const std::string to = (work / ("cp" + std::to_string(round))).string();
    Settle();
    copies.push_back(Seconds([&] { Run("cp -r '" + storage + "' '" + to + "'"); }));
    fs::remove_all(to);
    Settle();
    synced.push_back(Seconds([&] { Run("cp -r '" + storage + "' '" + to + "' && sync"); }));
    fs::remove_all(to);
    Settle();
    RecordDb db(storage);
    RecycleBin bin(db, RecycleBin::FolderFor(storage));
    BackupOutcome made;
    backups.push_back(Seconds([&] {
      made = MakeBackup(db, &bin.Database(), storage, (work / "backups").string(),
                        "20261208-10000" + std::to_string(round), "2026-12-08 10:00:00");
    }));
    if (!made.status) std::fprintf(stderr, "%s\n", made.status.text.ToBytes(cp::kUtf8).c_str());
    if (made.manifest.records != static_cast<uint64_t>(records))
      std::fprintf(stderr, "the manifest counts %llu records\n",
                   static_cast<unsigned long long>(made.manifest.records));
    fs::remove_all(made.folder);
    Run("sync");
  }
  const double cp = Median(copies), cpSync = Median(synced), backup = Median(backups);
  std::printf(
      "cp -r          %.2f s\ncp -r && sync  %.2f s\nbackup         %.2f s  (%.2fx cp -r, "
      "%.2fx cp -r && sync)\n",
      cp, cpSync, backup, backup / cp, backup / cpSync);
  fs::remove_all(work);
}

// "删除" of 10,000 ticked records of 100,000 through the record book, as
// the window runs it (the database's write and the list without them), for
// good and into the recycle bin; and the database's part alone.
void BenchRecycle() {
  const fs::path work = fs::temp_directory_path() / "residue_recycle_bench";
  std::vector<double> times[4];  // book: deleted, into the bin; database: the same
  for (int round = 0; round < 3; ++round) {
    for (int kind = 0; kind < 4; ++kind) {
      const bool toBin = kind % 2 == 1;
      fs::remove_all(work);
      fs::create_directories(work);
      fs::copy(VariedDatabase(100000), work / "storage", fs::copy_options::recursive);
      RecordDb db((work / "storage").string());
      RecycleBin bin(db, RecycleBin::FolderFor((work / "storage").string()));
      RecordBook book(db);
      if (toBin) book.SetRecycleBin(&bin);
      (void)book.Load(String(u""));
      (void)book.TickShown(false);
      for (uint32_t i = 3; i < book.Records().Count(); i += 10)
        (void)book.SetTicked(book.Records()[i].serial, true);
      Run("sync");
      uint32_t count = 0;
      times[kind].push_back(Seconds([&] {
        if (kind < 2) {
          (void)book.DeleteTicked(count);
        } else if (toBin) {
          std::vector<RecycleBin::Leaving> leaving;
          for (uint32_t i = 0; i < book.Records().Count(); ++i) {
            if (!book.Records()[i].selected) continue;
            leaving.push_back({StoredKeyBytes(book.Records()[i]), std::string()});
            StoredValueBytes(book.Records()[i], leaving.back().value);
          }
          (void)bin.MoveIn(leaving, u"2026-12-08 10:00:00", count);
        } else {
          (void)DeleteSelectedFromDb(book.Records(), db, count);
        }
      }));
      if (count != 10000) std::fprintf(stderr, "moved %u, not 10000\n", count);
    }
  }
  const char* what[] = {"删除 in the record book", "the database's write"};
  for (int level = 0; level < 2; ++level) {
    const double gone = Median(times[level * 2]), moved = Median(times[level * 2 + 1]);
    std::printf("10,000 of 100,000, %s: for good %.3f s, into the recycle bin %.3f s (%.2fx)\n",
                what[level], gone, moved, moved / gone);
  }
  fs::remove_all(work);
}

}  // namespace

int main(int argc, char** argv) {
  int records = 1000000;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--cold") {
      cold = true;
    } else {
      records = std::atoi(argv[i]);
    }
  }
  BenchBackup(records);
  BenchRecycle();
  return 0;
}

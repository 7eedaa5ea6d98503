#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "store/record_db.h"

// Backups of the station's records: a folder named with the date and time
// ("records-backup-yyyyMMdd-HHmmss") holding a copy of the record database's
// files ("records/"), of the recycle bin's ("recycle/"), and "manifest.json":
// the record count, the first and last test time, and each file's size and
// SHA-256. The manifest is written last and the folder gets its name only
// when everything in it is on the disk, so a folder with that name is whole.
// Plain functions; any thread. Texts for the operator are Chinese (UTF-8).

struct BackupFile {
  std::string path;  // relative, "records/000005.ldb"
  uint64_t size = 0;
  std::string sha256;  // hex
};

struct BackupManifest {
  std::string made;  // "yyyy-MM-dd HH:mm:ss", local time
  uint64_t records = 0;
  uint64_t recycled = 0;
  std::string firstTestTime;  // the first and last record keys (UTF-8)
  std::string lastTestTime;
  std::vector<BackupFile> files;

  std::string ToText() const;
  // False, with what is wrong, when `text` is no manifest of ours.
  bool Parse(const std::string& text, std::string& problem);
};

// "yyyyMMdd-HHmmss" of a local time "yyyy-MM-dd HH:mm:ss": a backup's name.
std::string BackupStamp(const std::string& localTime);

constexpr char kBackupPrefix[] = "records-backup-";
constexpr char kManifestName[] = "manifest.json";

// Progress: bytes copied so far of the total; false stops the work.
using BackupProgress = std::function<bool(uint64_t done, uint64_t total)>;

struct BackupOutcome {
  Status status;
  std::string folder;  // the backup made (on success)
  BackupManifest manifest;
};

// Backs up the open record database `records` (and the recycle bin `bin`,
// when given) into a new folder under `targetParent`, named from `stamp`
// ("yyyyMMdd-HHmmss"). Both databases are closed for the moment it takes to
// link their files into a folder beside `storageFolder` (writes wait; no
// record is half in), then copied from there while capture goes on. A backup
// that cannot finish (disk full, stick pulled out, stopped) removes what it
// made and says why.
BackupOutcome MakeBackup(RecordDb& records, RecordDb* bin, const std::string& storageFolder,
                         const std::string& targetParent, const std::string& stamp,
                         const std::string& made, const BackupProgress& progress = {});

// Checks a backup folder against its manifest: every file present, of its
// size and checksum. The problem names the file and what is wrong.
struct BackupCheck {
  bool ok = false;
  std::string problem;
  BackupManifest manifest;
};
BackupCheck VerifyBackup(const std::string& folder, const BackupProgress& progress = {});

// The backups under `parent` (whole ones: the name and a manifest), oldest first.
std::vector<std::string> ListBackups(const std::string& parent);
// Removes the oldest backups under `parent` beyond the newest `keep`; the
// names removed.
std::vector<std::string> PruneBackups(const std::string& parent, size_t keep);
// The local time ("yyyy-MM-dd HH:mm:ss") the newest backup there was made; "" for none.
std::string NewestBackupTime(const std::string& parent);

// Puts a checked backup in place of the database in `storageFolder` (which
// nobody may hold open): the backup is copied beside it and checked again,
// the current database and recycle bin are kept aside as
// `<storageFolder>.before-restore-<stamp>` (and `.recycle` after it), and the
// copy takes their place. A journal beside the database names the steps, so
// that a crash at any moment is finished by FinishInterruptedRestore at the
// next start: the old database or the restored one is in place, never a mix.
// `aside` gets the folder the old database went to.
Status RestoreBackup(const std::string& backupFolder, const std::string& storageFolder,
                     const std::string& stamp, std::string& aside,
                     const BackupProgress& progress = {});
// Its first half: the backup checked, copied beside the database (checked
// again as it is read) and the journal written; the database is not touched.
// FinishInterruptedRestore then makes the swap (with the database closed).
Status StageRestore(const std::string& backupFolder, const std::string& storageFolder,
                    const std::string& stamp, std::string& aside,
                    const BackupProgress& progress = {});
// Run before the database is opened. Ok when there was nothing to finish
// or it was finished; `finished` says whether there was.
Status FinishInterruptedRestore(const std::string& storageFolder, bool* finished = nullptr);
// Tests: called after each of the restore's renames (1 to 4), to stop a
// process there as a crash would.
void SetRestoreStepHook(std::function<void(int step)> hook);

#include "tools/backup_commands.h"

#include <filesystem>
#include <ostream>

#include "app/file_locations.h"
#include "base/calendar.h"
#include "base/utf8_path.h"
#include "store/backup.h"
#include "store/operations_log.h"
#include "store/recycle_bin.h"
#include "tools/tool_input.h"

namespace {

// The databases of `storage` opened for a backup or a restore; false, with
// why on `err`, when the running program (or anything else) holds them.
bool OpenQuietDatabase(const std::string& storage, const char* command, RecordDb& db,
                       std::ostream& err) {
  if (db.IsOpen()) return true;
  if (db.LockedElsewhere()) {
    err << "residue-tool " << command << ": 数据库 " << storage
        << " 正被程序使用；请在程序里用“备份数据”或“从备份恢复”，或先关闭程序\n";
  } else {
    err << "residue-tool " << command << ": " << db.OpenStatus().text.ToBytes(cp::kUtf8) << "\n";
  }
  return false;
}

}  // namespace

int RunBackupCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string storage;
  std::string target;
  bool missing = false;
  TakeOption(args, "--storage", storage, missing);
  TakeOption(args, "--to", target, missing);
  if (missing || !args.empty() || target.empty()) {
    err << "usage: residue-tool backup [--storage DIR] --to DIR\n";
    return 2;
  }
  if (storage.empty()) storage = LocateFiles().storageFolder;
  const Status finished = FinishInterruptedRestore(storage);
  if (!finished) {
    err << "residue-tool backup: " << finished.text.ToBytes(cp::kUtf8) << "\n";
    return 1;
  }
  RecordDb db(storage, false);
  if (!OpenQuietDatabase(storage, "backup", db, err)) return 1;
  std::unique_ptr<RecordDb> bin;
  if (std::filesystem::is_directory(PathOf(RecycleBin::FolderFor(storage))))
    bin = std::make_unique<RecordDb>(RecycleBin::FolderFor(storage), false);
  const std::string now = LocalNowText().ToBytes(cp::kUtf8);
  const BackupOutcome made = MakeBackup(db, bin.get(), storage, target, BackupStamp(now), now);
  if (!made.status) {
    err << "residue-tool backup: " << made.status.text.ToBytes(cp::kUtf8) << "\n";
    return 1;
  }
  (void)LogOperationOf(storage, "备份",
                       std::to_string(made.manifest.records) + " 条记录 → " + made.folder);
  out << "backup " << made.folder << "\nrecords " << made.manifest.records << "\nrecycled "
      << made.manifest.recycled << "\nfirst " << made.manifest.firstTestTime << "\nlast "
      << made.manifest.lastTestTime << "\n";
  return 0;
}

int RunVerifyBackupCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << "usage: residue-tool verify-backup DIR\n";
    return 2;
  }
  const BackupCheck check = VerifyBackup(args[0]);
  if (!check.ok) {
    out << "damaged: " << check.problem << "\n";
    return 1;
  }
  out << "ok " << check.manifest.records << " records, " << check.manifest.recycled << " recycled, "
      << check.manifest.files.size() << " files, made " << check.manifest.made << "\n";
  return 0;
}

int RunRestoreCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string storage;
  std::string from;
  bool missing = false;
  TakeOption(args, "--storage", storage, missing);
  TakeOption(args, "--from", from, missing);
  if (missing || !args.empty() || from.empty()) {
    err << "usage: residue-tool restore [--storage DIR] --from DIR\n";
    return 2;
  }
  if (storage.empty()) storage = LocateFiles().storageFolder;
  {
    RecordDb db(storage, false);
    if (!db.IsOpen() && db.LockedElsewhere()) {
      (void)OpenQuietDatabase(storage, "restore", db, err);
      return 1;
    }
  }
  const Status finished = FinishInterruptedRestore(storage);
  if (!finished) {
    err << "residue-tool restore: " << finished.text.ToBytes(cp::kUtf8) << "\n";
    return 1;
  }
  std::string aside;
  const Status restored =
      RestoreBackup(from, storage, BackupStamp(LocalNowText().ToBytes(cp::kUtf8)), aside);
  if (!restored) {
    err << "residue-tool restore: " << restored.text.ToBytes(cp::kUtf8) << "\n";
    return 1;
  }
  const BackupCheck check = VerifyBackup(from);
  (void)LogOperationOf(
      storage, "从备份恢复",
      std::to_string(check.manifest.records) + " 条记录 ← " + from + "；原数据库保存在 " + aside);
  out << "restored " << check.manifest.records << " records from " << from << "\nprevious " << aside
      << "\n";
  return 0;
}

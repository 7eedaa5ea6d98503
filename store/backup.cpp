#include "store/backup.h"

#include <cryptopp/hex.h>
#include <cryptopp/sha.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <map>
#include <thread>

#include "base/file_io.h"
#include "base/json.h"
#include "base/utf8_path.h"
#include "store/recycle_bin.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kParts[] = {"records", "recycle"};
// Pieces of the key range the record count is cut into (see MakeBackup).
constexpr int kCountPieces = 16;
// A backup's snapshot: "<storage>.backup-snapshot-<stamp>" beside the database.
constexpr const char* kSnapshotInfix = ".backup-snapshot-";

// The entries of `parent` whose names start with `prefix`, listed whole
// before anything is done to them.
std::vector<fs::path> EntriesStartingWith(const fs::path& parent, const std::string& prefix) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().rfind(prefix, 0) == 0) entries.push_back(it->path());
  }
  return entries;
}

// Removes what it can of the snapshots beside `storageFolder`.
void RemoveSnapshots(const std::string& storageFolder) {
  const fs::path storage = PathOf(storageFolder);
  const fs::path parent = storage.has_parent_path() ? storage.parent_path() : fs::path(".");
  for (const fs::path& snapshot :
       EntriesStartingWith(parent, storage.filename().string() + kSnapshotInfix)) {
    RemoveTree(snapshot.string());
  }
}

std::string Hex(const CryptoPP::byte* digest, size_t length) {
  std::string hex;
  CryptoPP::HexEncoder encoder(new CryptoPP::StringSink(hex), false);
  encoder.Put(digest, length);
  encoder.MessageEnd();
  return hex;
}

Status Failed(const std::string& text) { return Status::FailedUtf8(text); }

std::string Utf8(const std::string& gbk) {
  return String::FromBytes(gbk, cp::kGbk).ToBytes(cp::kUtf8);
}

// The database files a copy needs: not the lock and not leveldb's own text logs.
bool IsDatabaseFile(const fs::path& file) {
  const std::string name = file.filename().string();
  return name != "LOCK" && name != "LOG" && name != "LOG.old";
}

// Links (or, where links cannot be made, copies) the database files of
// `folder` into `into`. Runs while the database is closed.
Status LinkFiles(const std::string& folder, const std::string& into) {
  std::error_code error;
  fs::create_directories(PathOf(into), error);
  if (error) return Failed("无法建立临时文件夹 " + into + "：" + DiskProblemText(error.value()));
  for (const auto& entry : fs::directory_iterator(PathOf(folder), error)) {
    if (!entry.is_regular_file() || !IsDatabaseFile(entry.path())) continue;
    const fs::path to = PathOf(into) / entry.path().filename();
    std::error_code linkError;
    fs::create_hard_link(entry.path(), to, linkError);
    if (!linkError) continue;
    fs::copy_file(entry.path(), to, linkError);
    if (linkError) {
      return Failed("无法复制 " + entry.path().string() + "：" +
                    DiskProblemText(linkError.value()));
    }
  }
  if (error) return Failed("无法读取文件夹 " + folder + "：" + DiskProblemText(error.value()));
  return Status::Ok();
}

struct Copier;
Status HashFile(const fs::path& file, std::string& sha256, Copier* copier);

struct Copier {
  const BackupProgress& progress;
  uint64_t total = 0;
  uint64_t done = 0;
  bool Report(size_t length) {
    done += length;
    return !progress || progress(done, total);
  }
};

// Copies one file (the system copies it, without passing it through this
// process) and takes the SHA-256 of the copy as written.
Status CopyHashed(const fs::path& from, const fs::path& to, Copier& copier, std::string& sha256) {
  if (!CopyNewFile(from.string(), to.string()))
    return Failed("无法写入 " + to.string() + "：" + DiskProblemText(errno));
  const Status hashed = HashFile(to, sha256, &copier);
  if (!hashed && errno == ECANCELED) return Failed(DiskProblemText(ECANCELED));
  if (!hashed) return Failed("无法读取 " + to.string() + "：" + hashed.text.ToBytes(cp::kUtf8));
  return Status::Ok();
}

Status HashFile(const fs::path& file, std::string& sha256, Copier* copier) {
  CryptoPP::SHA256 hash;
  const bool read = ReadFileChunks(file.string(), [&](const char* b, size_t n) {
    hash.Update(reinterpret_cast<const CryptoPP::byte*>(b), n);
    if (!copier || copier->Report(n)) return true;
    errno = ECANCELED;
    return false;
  });
  if (!read) {
    const int error = errno;
    const Status failed = Failed(DiskProblemText(error));
    errno = error;
    return failed;
  }
  CryptoPP::byte digest[CryptoPP::SHA256::DIGESTSIZE];
  hash.Final(digest);
  sha256 = Hex(digest, sizeof digest);
  return Status::Ok();
}

// The database files under `root`/records and `root`/recycle, relative.
std::vector<std::string> PartFiles(const std::string& root) {
  std::vector<std::string> files;
  for (const char* part : kParts) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(PathOf(root) / part, error)) {
      if (entry.is_regular_file() && IsDatabaseFile(entry.path()))
        files.push_back(std::string(part) + "/" + entry.path().filename().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Copies the files of a staged or backed-up tree `from` into `to` (made
// here), hashing them; `expected` (a manifest's), when given, must match.
Status CopyTree(const std::string& from, const std::string& to,
                const std::vector<BackupFile>* expected, Copier& copier,
                std::vector<BackupFile>& copied) {
  std::vector<std::string> names;
  if (expected) {
    for (const BackupFile& file : *expected) names.push_back(file.path);
  } else {
    names = PartFiles(from);
  }
  copier.total = 0;
  for (const std::string& name : names) {
    std::error_code error;
    copier.total += fs::file_size(PathOf(from) / name, error);
  }
  for (const char* part : kParts) {
    std::error_code error;
    fs::create_directories(PathOf(to) / part, error);
    if (error) return Failed("无法建立文件夹 " + to + "：" + DiskProblemText(error.value()));
  }
  for (size_t i = 0; i < names.size(); ++i) {
    BackupFile file;
    file.path = names[i];
    const Status status =
        CopyHashed(PathOf(from) / names[i], PathOf(to) / names[i], copier, file.sha256);
    if (!status) return status;
    std::error_code error;
    file.size = fs::file_size(PathOf(to) / names[i], error);
    if (expected && (file.sha256 != (*expected)[i].sha256 || file.size != (*expected)[i].size))
      return Failed("备份中的文件 " + names[i] + " 在复制时读出的内容与清单不符");
    copied.push_back(file);
  }
  // Everything on the disk before the backup is called whole.
  for (const char* part : kParts) {
    if (!SyncFolder((PathOf(to) / part).string()))
      return Failed("无法写入 " + to + "：" + DiskProblemText(errno));
  }
  if (!SyncFileSystem(to)) return Failed("无法写入 " + to + "：" + DiskProblemText(errno));
  return Status::Ok();
}

std::function<void(int)> restoreStepHook;

// `pieces - 1` keys that cut the keys from `first` to `last` into pieces of
// about the same size on disk: each found by halving the span of the bytes
// after the two keys' common prefix (read as a number), sizes from the
// tables' indexes.
std::vector<std::string> CutKeys(RecordDb& records, const std::string& first,
                                 const std::string& last, int pieces) {
  size_t common = 0;
  while (common < first.size() && common < last.size() && first[common] == last[common]) ++common;
  auto number = [common](const std::string& key) {
    uint64_t value = 0;
    for (size_t i = 0; i < 8; ++i) {
      const size_t at = common + i;
      value = value << 8 | (at < key.size() ? static_cast<unsigned char>(key[at]) : 0u);
    }
    return value;
  };
  auto keyAt = [&](uint64_t value) {
    std::string key = first.substr(0, common);
    for (int shift = 56; shift >= 0; shift -= 8) key += static_cast<char>(value >> shift & 0xFF);
    return key;
  };
  const uint64_t total = records.ApproximateBytes(first, last);
  std::vector<std::string> cuts;
  uint64_t low = number(first);
  const uint64_t high = number(last);
  for (int piece = 1; piece < pieces; ++piece) {
    const uint64_t wanted = total / pieces * piece;
    uint64_t below = low, above = high;
    while (above - below > 1) {
      const uint64_t middle = below + (above - below) / 2;
      if (records.ApproximateBytes(first, keyAt(middle)) < wanted) {
        below = middle;
      } else {
        above = middle;
      }
    }
    low = above;
    cuts.push_back(keyAt(above));
  }
  return cuts;
}

std::string RecycledPath(const std::string& folder) { return folder + ".recycle"; }
std::string StagingFor(const std::string& storage) { return storage + ".restoring"; }
std::string JournalFor(const std::string& storage) { return storage + ".restore-journal"; }

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}
bool Exists(const std::string& path) { return Exists(PathOf(path)); }

Status Rename(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  if (error) {
    return Failed("无法把 " + from.string() + " 改名为 " + to.string() + "：" +
                  DiskProblemText(error.value()));
  }
  return Status::Ok();
}

}  // namespace

std::string BackupStamp(const std::string& localTime) {
  std::string stamp;
  for (const char c : localTime) {
    if (c >= '0' && c <= '9') stamp += c;
    if (c == ' ') stamp += '-';
  }
  return stamp;
}

std::string BackupManifest::ToText() const {
  Json doc;
  doc.SetPropertyInt32(u"format", 1);
  doc.SetPropertyStr(u"made", String::FromBytes(made, cp::kUtf8).Handle());
  doc.SetPropertyInt64(u"records", static_cast<long long>(records));
  doc.SetPropertyInt64(u"recycled", static_cast<long long>(recycled));
  doc.SetPropertyStr(u"first_test_time", String::FromBytes(firstTestTime, cp::kUtf8).Handle());
  doc.SetPropertyStr(u"last_test_time", String::FromBytes(lastTestTime, cp::kUtf8).Handle());
  Json* list = doc.SetPropertyArray(u"files");
  for (const BackupFile& file : files) {
    Json* entry = list->AddArrayElm();
    entry->SetPropertyStr(u"path", String::FromBytes(file.path, cp::kUtf8).Handle());
    entry->SetPropertyInt64(u"size", static_cast<long long>(file.size));
    entry->SetPropertyStr(u"sha256", String::FromBytes(file.sha256, cp::kUtf8).Handle());
  }
  return doc.ToText(true).ToBytes(cp::kUtf8) + "\n";
}

bool BackupManifest::Parse(const std::string& text, std::string& problem) {
  Json doc;
  String wide = String::FromBytes(text, cp::kUtf8);
  if (doc.Parse(wide.Handle(), static_cast<int>(wide.Length())) == -1 || !doc.IsObject()) {
    problem = "清单 manifest.json 不是有效的 JSON";
    return false;
  }
  const auto str = [&doc](const char16_t* key) {
    String value;
    const Json* node = doc.FindProperty(key);
    if (node && node->IsString()) node->GetString(value);
    return value.ToBytes(cp::kUtf8);
  };
  const auto number = [](const Json* node) {
    return node && node->IsNumber() ? static_cast<uint64_t>(node->Int64(0)) : 0;
  };
  made = str(u"made");
  firstTestTime = str(u"first_test_time");
  lastTestTime = str(u"last_test_time");
  records = number(doc.FindProperty(u"records"));
  recycled = number(doc.FindProperty(u"recycled"));
  files.clear();
  const Json* list = doc.FindProperty(u"files");
  if (!list || !list->IsArray() || list->Count() == 0) {
    problem = "清单 manifest.json 没有列出文件";
    return false;
  }
  for (uint32_t i = 0; i < list->Count(); ++i) {
    const Json* entry = list->GetArrayElm(i);
    BackupFile file;
    String value;
    const Json* path = entry ? entry->FindProperty(u"path") : nullptr;
    const Json* sha = entry ? entry->FindProperty(u"sha256") : nullptr;
    if (!path || !path->IsString() || !sha || !sha->IsString()) {
      problem = "清单 manifest.json 的第 " + std::to_string(i + 1) + " 个文件不完整";
      return false;
    }
    path->GetString(value);
    file.path = value.ToBytes(cp::kUtf8);
    sha->GetString(value);
    file.sha256 = value.ToBytes(cp::kUtf8);
    file.size = number(entry->FindProperty(u"size"));
    // Only the two parts' own files: a manifest never leads a restore elsewhere.
    const fs::path relative = PathOf(file.path);
    const std::string part = relative.parent_path().string();
    if (relative.is_absolute() || (part != "records" && part != "recycle") ||
        relative.filename() == ".." || relative.filename() == ".") {
      problem = "清单 manifest.json 列出了不属于备份的文件 " + file.path;
      return false;
    }
    files.push_back(file);
  }
  return true;
}

BackupOutcome MakeBackup(RecordDb& records, RecordDb* bin, const std::string& storageFolder,
                         const std::string& targetParent, const std::string& stamp,
                         const std::string& made, const BackupProgress& progress) {
  BackupOutcome outcome;
  const fs::path target = PathOf(targetParent) / (kBackupPrefix + stamp);
  const fs::path partial = PathOf(target.string() + ".partial");
  // Snapshots left by a crash are removed first. Each backup links into a
  // folder of its own: on Windows the links to files the database holds open
  // stay listed after their removal until the database closes them, so a
  // snapshot folder may outlive its backup until the program ends.
  RemoveSnapshots(storageFolder);
  const std::string staging = storageFolder + kSnapshotInfix + stamp;
  std::error_code error;
  if (!fs::is_directory(PathOf(targetParent), error)) {
    outcome.status = Failed("备份文件夹 " + targetParent + " 不存在，请先建立它或选择别的文件夹");
    return outcome;
  }
  if (Exists(target)) {
    outcome.status = Failed("备份 " + target.string() + " 已经存在，请稍后再试");
    return outcome;
  }
  fs::create_directory(partial, error);
  if (error) {
    outcome.status =
        Failed("无法在 " + targetParent + " 建立备份：" + DiskProblemText(error.value()));
    return outcome;
  }
  // One moment of both databases: their files linked while both are closed.
  Status linked = Status::Ok();
  std::shared_ptr<RecordDb::Moment> binMoment;
  const std::shared_ptr<RecordDb::Moment> moment = records.WhileClosed([&] {
    linked = LinkFiles(records.Folder(), staging + "/records");
    if (!linked) return;
    if (!bin) {
      fs::create_directories(PathOf(staging + "/recycle"), error);
      return;
    }
    binMoment = bin->WhileClosed([&] { linked = LinkFiles(bin->Folder(), staging + "/recycle"); });
  });
  Status copied = linked;
  if (linked && !moment) copied = Failed("备份后无法重新打开数据库 " + records.Folder());
  if (copied) {
    // The copy on this thread; the counts, from the same moment, on two
    // others (reading every record takes longer than copying the files).
    // The key range is cut into many pieces taken in turn, so both threads
    // stay busy however the records lie in it; the recycle bin is one more.
    Copier copier{progress};
    records.EndKeysAt(*moment, outcome.manifest.firstTestTime, outcome.manifest.lastTestTime);
    std::vector<std::string> cuts = CutKeys(records, outcome.manifest.firstTestTime,
                                            outcome.manifest.lastTestTime, kCountPieces);
    cuts.insert(cuts.begin(), std::string());
    cuts.push_back(std::string());
    const size_t pieces = cuts.size() - 1;
    std::vector<DbStatus> walked(pieces);
    std::atomic<uint64_t> counted{0};
    std::atomic<uint64_t> recycled{0};
    std::atomic<size_t> nextPiece{0};
    auto count = [&] {
      for (size_t piece; (piece = nextPiece++) <= pieces;) {
        uint64_t found = 0;
        if (piece < pieces) {
          records.ForEachRawAt(
              *moment, [&](const char*, size_t, const char*, size_t) { ++found; }, &walked[piece],
              cuts[piece], cuts[piece + 1]);
          counted += found;
        } else if (bin && binMoment) {
          bin->ForEachRawAt(*binMoment, [&](const char* key, size_t keyLength, const char* value,
                                            size_t valueLength) {
            found += RecycleBin::RecordsIn(key, keyLength, value, valueLength);
          });
          recycled += found;
        }
      }
    };
    std::thread first(count);
    std::thread second(count);
    copied = CopyTree(staging, partial.string(), nullptr, copier, outcome.manifest.files);
    first.join();
    second.join();
    outcome.manifest.records = counted;
    outcome.manifest.recycled = recycled;
    for (const DbStatus& status : walked) {
      if (copied && !status)
        copied = Failed("数据库有损坏的部分，备份没有做：" + status.text.ToBytes(cp::kUtf8));
    }
  }
  RemoveTree(staging);
  if (copied) {
    outcome.manifest.firstTestTime = Utf8(outcome.manifest.firstTestTime);
    outcome.manifest.lastTestTime = Utf8(outcome.manifest.lastTestTime);
    outcome.manifest.made = made;
    const std::string manifest = (partial / kManifestName).string();
    if (!ReplaceFileContent(manifest, outcome.manifest.ToText()) || !SyncFolder(partial.string())) {
      copied = Failed("无法写入 " + manifest + "：" + DiskProblemText(errno));
    }
  }
  if (copied) {
    fs::rename(partial, target, error);
    if (error || !SyncFolder(targetParent)) {
      copied = Failed("无法写入 " + target.string() + "：" +
                      DiskProblemText(error ? error.value() : errno));
    }
  }
  if (!copied) {
    const bool removed = RemoveTree(partial.string());
    std::string text = copied.text.ToBytes(cp::kUtf8);
    if (!removed && Exists(partial)) {
      text += "\n未能删除不完整的备份 " + partial.string() + "，请手工删除它";
    } else {
      text += "\n不完整的备份已删除";
    }
    outcome.status = Failed(text);
    return outcome;
  }
  outcome.folder = target.string();
  outcome.status = Status::Ok();
  return outcome;
}

BackupCheck VerifyBackup(const std::string& folder, const BackupProgress& progress) {
  BackupCheck check;
  std::string text;
  std::string problem;
  const fs::path root = PathOf(folder);
  if (!ReadWholeFile((root / kManifestName).string(), text, &problem)) {
    check.problem = "备份 " + folder + " 缺少清单 manifest.json，不是完整的备份";
    return check;
  }
  if (!check.manifest.Parse(text, problem)) {
    check.problem = problem;
    return check;
  }
  Copier copier{progress};
  for (const BackupFile& file : check.manifest.files) copier.total += file.size;
  for (const BackupFile& file : check.manifest.files) {
    const fs::path path = root / file.path;
    std::error_code error;
    const uint64_t size = fs::file_size(path, error);
    if (error) {
      check.problem = "备份中缺少文件 " + file.path;
      return check;
    }
    if (size != file.size) {
      check.problem = "备份中的文件 " + file.path + " 大小不对（清单 " + std::to_string(file.size) +
                      " 字节，实际 " + std::to_string(size) + " 字节）";
      return check;
    }
    std::string sha256;
    const Status read = HashFile(path, sha256, &copier);
    if (!read) {
      check.problem = "无法读取备份中的文件 " + file.path + "：" + read.text.ToBytes(cp::kUtf8);
      return check;
    }
    if (sha256 != file.sha256) {
      check.problem = "备份中的文件 " + file.path + " 内容被改动或已损坏（校验值不符）";
      return check;
    }
  }
  // A database file the manifest does not name is no part of this backup.
  for (const std::string& name : PartFiles(folder)) {
    const bool listed = std::any_of(check.manifest.files.begin(), check.manifest.files.end(),
                                    [&name](const BackupFile& file) { return file.path == name; });
    if (!listed) {
      check.problem = "备份中多出了清单里没有的文件 " + name;
      return check;
    }
  }
  check.ok = true;
  return check;
}

std::vector<std::string> ListBackups(const std::string& parent) {
  std::vector<std::string> backups;
  for (const fs::path& entry : EntriesStartingWith(PathOf(parent), kBackupPrefix)) {
    // Not "<name>.partial", and only a folder with its manifest.
    if (entry.filename().string().find('.') == std::string::npos && Exists(entry / kManifestName))
      backups.push_back(entry.string());
  }
  std::sort(backups.begin(), backups.end());  // the names sort by their time
  return backups;
}

std::vector<std::string> PruneBackups(const std::string& parent, size_t keep) {
  std::vector<std::string> backups = ListBackups(parent);
  std::vector<std::string> removed;
  for (size_t i = 0; i + keep < backups.size(); ++i) {
    if (RemoveTree(backups[i])) removed.push_back(backups[i]);
  }
  return removed;
}

std::string NewestBackupTime(const std::string& parent) {
  const std::vector<std::string> backups = ListBackups(parent);
  if (backups.empty()) return std::string();
  std::string text;
  std::string problem;
  BackupManifest manifest;
  if (!ReadWholeFile(backups.back() + "/" + kManifestName, text) || !manifest.Parse(text, problem))
    return std::string();
  return manifest.made;
}

void SetRestoreStepHook(std::function<void(int step)> hook) { restoreStepHook = std::move(hook); }

Status RestoreBackup(const std::string& backupFolder, const std::string& storageFolder,
                     const std::string& stamp, std::string& aside, const BackupProgress& progress) {
  const Status staged = StageRestore(backupFolder, storageFolder, stamp, aside, progress);
  if (!staged) return staged;
  return FinishInterruptedRestore(storageFolder);
}

Status StageRestore(const std::string& backupFolder, const std::string& storageFolder,
                    const std::string& stamp, std::string& aside, const BackupProgress& progress) {
  const BackupCheck check = VerifyBackup(backupFolder);
  if (!check.ok) return Failed("备份已损坏，没有恢复：" + check.problem);
  const std::string staging = StagingFor(storageFolder);
  RemoveTree(staging);  // left by a restore that stopped before its journal
  Copier copier{progress};
  std::vector<BackupFile> copied;
  Status status = CopyTree(backupFolder, staging, &check.manifest.files, copier, copied);
  if (!status) {
    RemoveTree(staging);
    return status;
  }
  aside = storageFolder + ".before-restore-" + stamp;
  for (int n = 2; Exists(aside) || Exists(RecycledPath(aside)); ++n)
    aside = storageFolder + ".before-restore-" + stamp + "-" + std::to_string(n);
  if (!ReplaceFileContent(JournalFor(storageFolder), "aside " + aside + "\n")) {
    const int journalError = errno;
    RemoveTree(staging);
    return Failed("无法写入 " + JournalFor(storageFolder) + "：" + DiskProblemText(journalError));
  }
  return Status::Ok();
}

Status FinishInterruptedRestore(const std::string& storageFolder, bool* finished) {
  if (finished) *finished = false;
  const std::string journal = JournalFor(storageFolder);
  std::string text;
  if (!Exists(journal)) return Status::Ok();
  if (!ReadWholeFile(journal, text) || text.rfind("aside ", 0) != 0 || text.back() != '\n')
    return Failed("恢复记录 " + journal + " 无法读取，请联系技术支持");
  if (finished) *finished = true;
  const std::string aside = text.substr(6, text.size() - 7);
  const fs::path staging = PathOf(StagingFor(storageFolder));
  const fs::path newRecords = staging / "records";
  const fs::path newBin = staging / "recycle";
  const std::string bin = RecycledPath(storageFolder);
  // Each step is done when its source is gone; they run in this order.
  Status status = Status::Ok();
  const auto step = [&status](int number, bool due, const fs::path& from, const fs::path& to) {
    if (!status || !due) return;
    status = Rename(from, to);
    if (status && restoreStepHook) restoreStepHook(number);
  };
  step(1, Exists(newRecords) && Exists(storageFolder) && !Exists(aside), PathOf(storageFolder),
       PathOf(aside));
  step(2, Exists(newBin) && Exists(bin) && !Exists(RecycledPath(aside)), PathOf(bin),
       PathOf(RecycledPath(aside)));
  step(3, Exists(newRecords) && !Exists(storageFolder), newRecords, PathOf(storageFolder));
  step(4, Exists(newBin) && !Exists(bin), newBin, PathOf(bin));
  if (!status) return status;
  if (Exists(newRecords) || Exists(newBin)) {
    // Something took the database's place meanwhile: nothing is thrown away.
    return Failed("恢复没有完成：" + storageFolder + " 已被占用，恢复的数据仍在 " +
                  staging.string() + "，请关闭程序后再试");
  }
  const std::string parent = PathOf(storageFolder).parent_path().string();
  SyncFolder(parent.empty() ? "." : parent);
  RemoveTree(staging.string());
  std::error_code error;
  fs::remove(journal, error);
  SyncFolder(parent.empty() ? "." : parent);
  return Status::Ok();
}

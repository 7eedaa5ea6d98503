#include "store/record_db.h"

#include <leveldb/db.h>
#include <leveldb/options.h>
#include <leveldb/write_batch.h>

#include <ctime>
#include <filesystem>
#include <mutex>

#include "base/utf8_path.h"
#include "store/table_read_env.h"

namespace {

// leveldb is given the folder as an absolute path: the ReplaceFile it uses to
// put a new CURRENT in place fails on a relative one under Wine.
std::string LeveldbPath(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(PathOf(folder), error);
  return error ? folder : absolute.string();
}

std::string Bytes(const String& text) { return text.ToBytes(cp::kGbk); }

String Text(const leveldb::Slice& bytes) {
  String text;
  text.FromMultiByte(bytes.data(), bytes.size(), cp::kAnsi);
  return text;
}

// leveldb names its lock file when another holder keeps the folder.
bool Says(const DbStatus& status, const char* words) {
  return !status.ok && status.text.ToBytes(cp::kUtf8).find(words) != std::string::npos;
}

// Another process holds the folder's lock (leveldb's texts for EAGAIN, and
// for a second open inside this process; ours on Windows).
bool IsLockFailure(const DbStatus& status) {
  return Says(status, "/LOCK") &&
         (Says(status, "Resource temporarily unavailable") ||
          Says(status, "already held by process") || Says(status, kLockHeldText));
}

// The folder or its files may not be read or written by this user, or the
// disk is mounted read-only: no repair helps.
bool IsAccessFailure(const DbStatus& status) {
  return Says(status, "Permission denied") || Says(status, "Read-only file system") ||
         Says(status, "Operation not permitted");
}

DbStatus StatusOf(const leveldb::Status& status) {
  if (status.ok()) return DbStatus{true, String(u"")};
  return DbStatus{false, Text(status.ToString())};
}

leveldb::WriteOptions WriteOptions(bool durable) {
  leveldb::WriteOptions options;
  options.sync = durable;
  return options;
}

}  // namespace

RecordDb::RecordDb(const std::string& folder, bool createIfMissing)
    : folder_(folder), createIfMissing_(createIfMissing) {
  Open();
}

namespace {

// Whether the files in `folder` hold no records at all: no table files and no
// write-ahead log with anything in it. That is what a crash leaves while
// leveldb makes a new database, before its CURRENT file is in place.
bool HoldsNoRecords(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (fs::directory_iterator it(PathOf(folder), error), end; !error && it != end;
       it.increment(error)) {
    const std::string extension = it->path().extension().string();
    if (extension == ".ldb" || extension == ".sst") return false;
    std::error_code sizeError;
    if (extension == ".log" && fs::file_size(it->path(), sizeError) != 0) return false;
    if (it->is_directory(sizeError)) return false;
  }
  return !error;
}

}  // namespace

void RecordDb::Open() {
  namespace fs = std::filesystem;
  db_.reset();
  damaged_ = false;
  std::error_code error;
  if (fs::exists(PathOf(folder_), error) && !fs::is_directory(PathOf(folder_), error)) {
    openStatus_ = StatusOf(leveldb::Status::InvalidArgument(folder_, "Not a directory"));
    return;
  }
  const bool hasCurrent = fs::exists(PathOf(folder_ + "/CURRENT"), error);
  std::error_code listError;
  const bool emptyOrAbsent =
      !fs::exists(PathOf(folder_), listError) ||
      (fs::is_directory(PathOf(folder_), listError) && fs::is_empty(PathOf(folder_), listError));
  for (const std::error_code& e : {error, listError}) {
    if (e == std::errc::permission_denied) {
      // A folder this user may not look into is no damaged database.
      openStatus_ = StatusOf(leveldb::Status::IOError(folder_, "Permission denied"));
      return;
    }
  }
  // leveldb makes the folder and its lock file even when told not to create a
  // database, so an absent database is refused before leveldb sees the path.
  if (!hasCurrent && !createIfMissing_) {
    openStatus_ = StatusOf(leveldb::Status::InvalidArgument(folder_, "no database here"));
    return;
  }
  if (!hasCurrent && !emptyOrAbsent && !HoldsNoRecords(folder_)) {
    // Records but no CURRENT: leveldb would start a new database over them.
    damaged_ = true;
    openStatus_ = StatusOf(leveldb::Status::Corruption(folder_, "database files without CURRENT"));
    return;
  }
  leveldb::Options options;
  options.env = TableReadEnv();
  options.create_if_missing = !hasCurrent;
  options.paranoid_checks = true;
  leveldb::DB* db = nullptr;
  const leveldb::Status status = leveldb::DB::Open(options, LeveldbPath(folder_), &db);
  openStatus_ = StatusOf(status);
  if (status.ok()) {
    ++opened_;
    db_.reset(db);
  } else {
    damaged_ = hasCurrent && !IsLockFailure(openStatus_) && !IsAccessFailure(openStatus_);
  }
}

RecordDb::~RecordDb() = default;

void RecordDb::Reopen() {
  std::unique_lock<std::shared_mutex> hold(lock_);  // no operation runs meanwhile
  Open();
}

class RecordDb::Moment {
 public:
  Moment(RecordDb& db, const leveldb::Snapshot* snapshot, uint64_t opened)
      : db_(db), snapshot_(snapshot), opened_(opened) {}
  ~Moment() {
    std::shared_lock<std::shared_mutex> hold(db_.lock_);
    if (db_.db_ && db_.opened_ == opened_) db_.db_->ReleaseSnapshot(snapshot_);
  }

 private:
  friend class RecordDb;
  RecordDb& db_;
  const leveldb::Snapshot* snapshot_;
  uint64_t opened_;
};

std::shared_ptr<RecordDb::Moment> RecordDb::WhileClosed(const std::function<void()>& work) {
  std::unique_lock<std::shared_mutex> hold(lock_);
  db_.reset();  // waits for leveldb's compactions
  work();
  Open();
  if (!db_) return nullptr;
  return std::make_shared<Moment>(*this, db_->GetSnapshot(), opened_);
}

RecordDb::OpenProblem RecordDb::Problem() const {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (db_) return OpenProblem::kNone;
  if (IsLockFailure(openStatus_)) return OpenProblem::kLocked;
  if (Says(openStatus_, "Read-only file system")) return OpenProblem::kReadOnly;
  if (IsAccessFailure(openStatus_)) return OpenProblem::kNoPermission;
  if (Says(openStatus_, "Not a directory")) return OpenProblem::kNotAFolder;
  if (damaged_) return OpenProblem::kDamaged;
  return OpenProblem::kOther;
}

bool RecordDb::LockedElsewhere() const {
  std::shared_lock<std::shared_mutex> hold(lock_);
  return IsLockFailure(openStatus_);
}

DbStatus RecordDb::KeepCopy(const std::string& folder, std::string& backup) {
  namespace fs = std::filesystem;
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
  backup = folder + ".backup-" + stamp;
  for (int n = 2; fs::exists(PathOf(backup)); ++n)
    backup = folder + ".backup-" + stamp + "-" + std::to_string(n);
  std::error_code error;
  fs::copy(PathOf(folder), PathOf(backup), fs::copy_options::recursive, error);
  if (error) {
    return DbStatus{false,
                    String::FromBytes("IO error: " + backup + ": " + error.message(), cp::kUtf8)};
  }
  return DbStatus{true, String(u"")};
}

DbStatus RecordDb::Repair(const std::string& folder, std::string& backup) {
  DbStatus copied = KeepCopy(folder, backup);
  if (!copied) return copied;
  leveldb::Options options;
  options.env = TableReadEnv();
  return StatusOf(leveldb::RepairDB(LeveldbPath(folder), options));
}

DbStatus RecordDb::PutText(const String& key, const String& value, bool durable) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_) return openStatus_;
  return StatusOf(db_->Put(WriteOptions(durable), Bytes(key), Bytes(value)));
}

DbStatus RecordDb::PutJson(const String& key, const Json& doc, bool durable) {
  return PutText(key, doc.ToText(false), durable);
}

DbStatus RecordDb::GetText(const String& key, String& value) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_) return openStatus_;
  ++lookups_;
  std::string bytes;
  const leveldb::Status status = db_->Get(leveldb::ReadOptions(), Bytes(key), &bytes);
  if (status.ok()) value = Text(bytes);
  return StatusOf(status);
}

DbStatus RecordDb::GetBytes(const std::string& key, std::string& value) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_) return openStatus_;
  ++lookups_;
  return StatusOf(db_->Get(leveldb::ReadOptions(), key, &value));
}

DbStatus RecordDb::GetJson(const String& key, Json& doc) {
  String text;
  DbStatus status = GetText(key, text);
  if (!status) return status;
  if (doc.Parse(text.Handle(), static_cast<int>(text.Length())) == -1)
    return DbStatus{false, String(u"Corruption: the stored value is not JSON")};
  return status;
}

DbStatus RecordDb::Delete(const String& key) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_) return openStatus_;
  return StatusOf(db_->Delete(leveldb::WriteOptions(), Bytes(key)));
}

bool RecordDb::LastKeyWithPrefix(const String& prefix, String& key) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_) return false;
  ++lookups_;
  const std::string start = Bytes(prefix);
  std::unique_ptr<leveldb::Iterator> it(db_->NewIterator(leveldb::ReadOptions()));
  it->Seek(start + "\xFF");  // past every key with the prefix (GBK keys never hold 0xFF)
  if (it->Valid()) {
    it->Prev();
  } else {
    it->SeekToLast();
  }
  if (!it->Valid() || !it->key().starts_with(start)) return false;
  key = Text(it->key());
  return true;
}

RecordDb::Batch::Batch() : batch_(new leveldb::WriteBatch) {}
RecordDb::Batch::~Batch() = default;

void RecordDb::Batch::PutJson(const String& key, const Json& doc) {
  batch_->Put(Bytes(key), Bytes(doc.ToText(false)));
  ++count_;
}

void RecordDb::Batch::PutBytes(const std::string& key, const std::string& value) {
  batch_->Put(key, value);
  ++count_;
}

void RecordDb::Batch::DeleteBytes(const std::string& key) {
  batch_->Delete(key);
  ++count_;
}

void RecordDb::Batch::Delete(const String& key) {
  batch_->Delete(Bytes(key));
  ++count_;
}

DbStatus RecordDb::Write(Batch& batch, bool durable) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_) return openStatus_;
  return StatusOf(db_->Write(WriteOptions(durable), batch.batch_.get()));
}

// Walks every entry in key order under the shared lock, checksums checked;
// `visit` returns true to stop. Counts the entries visited.
uint32_t RecordDb::Walk(const EntryVisitor& visit, DbStatus* status, const Moment* moment,
                        const std::string& from, const std::string& to) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (status) *status = openStatus_;
  if (!db_) return 0;
  if (moment && moment->opened_ != opened_) {
    if (status) *status = DbStatus{false, String(u"IO error: the database was opened again")};
    return 0;
  }
  leveldb::ReadOptions read;
  if (moment) read.snapshot = moment->snapshot_;
  read.verify_checksums = true;
  read.fill_cache = false;  // a walk reads every block once: keep the cache for lookups
  std::unique_ptr<leveldb::Iterator> it(db_->NewIterator(read));
  uint32_t count = 0;
  if (from.empty()) {
    it->SeekToFirst();
  } else {
    it->Seek(from);
  }
  for (; it->Valid() && (to.empty() || it->key().compare(to) < 0); it->Next()) {
    ++count;
    if (visit(it->key(), it->value())) break;
  }
  if (status) *status = StatusOf(it->status());
  return count;
}

uint32_t RecordDb::ForEach(const RecordCallback& callback, DbStatus* status) {
  std::u16string value;
  return Walk(
      [&](const leveldb::Slice& key, const leveldb::Slice& bytes) {
        cp::ToUtf16(bytes.data(), bytes.size(), cp::kAnsi, value);
        Json doc;
        if (doc.Parse(value.data(), static_cast<int>(value.size())) == -1) return false;
        String text = Text(key);
        return callback(text, doc);
      },
      status);
}

uint32_t RecordDb::ForEachRawAt(const Moment& moment, const RawCallback& callback, DbStatus* status,
                                const std::string& from, const std::string& to) {
  return Walk(
      [&](const leveldb::Slice& key, const leveldb::Slice& value) {
        callback(key.data(), key.size(), value.data(), value.size());
        return false;
      },
      status, &moment, from, to);
}

void RecordDb::EndKeysAt(const Moment& moment, std::string& first, std::string& last) {
  first.clear();
  last.clear();
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_ || moment.opened_ != opened_) return;
  leveldb::ReadOptions read;
  read.snapshot = moment.snapshot_;
  std::unique_ptr<leveldb::Iterator> it(db_->NewIterator(read));
  it->SeekToFirst();
  if (!it->Valid()) return;
  first = it->key().ToString();
  it->SeekToLast();
  if (it->Valid()) last = it->key().ToString();
}

uint64_t RecordDb::ApproximateBytes(const std::string& from, const std::string& to) {
  std::shared_lock<std::shared_mutex> hold(lock_);
  if (!db_) return 0;
  const leveldb::Range range(from, to);
  uint64_t bytes = 0;
  db_->GetApproximateSizes(&range, 1, &bytes);
  return bytes;
}

uint32_t RecordDb::ForEachRaw(const RawCallback& callback, DbStatus* status) {
  return Walk(
      [&](const leveldb::Slice& key, const leveldb::Slice& value) {
        callback(key.data(), key.size(), value.data(), value.size());
        return false;
      },
      status);
}

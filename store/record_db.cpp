#include "store/record_db.h"

#include <leveldb/db.h>
#include <leveldb/write_batch.h>

#include <atomic>
#include <filesystem>
#include <unordered_map>

namespace {

std::string Bytes(const String& text) { return text.ToBytes(cp::kGbk); }

String Text(const leveldb::Slice& bytes) {
  String text;
  text.FromMultiByte(bytes.data(), bytes.size(), cp::kAnsi);
  return text;
}

std::atomic<uint64_t> nextDatabaseId{1};

// The last status per database for the thread that owns this map.
std::unordered_map<uint64_t, leveldb::Status>& ThreadStatuses() {
  thread_local std::unordered_map<uint64_t, leveldb::Status> statuses;
  return statuses;
}

leveldb::WriteOptions WriteOptions(bool durable) {
  leveldb::WriteOptions options;
  options.sync = durable;
  return options;
}

}  // namespace

RecordDb::RecordDb(const std::string& folder, bool createIfMissing)
    : openStatus_(new leveldb::Status), id_(nextDatabaseId++) {
  // leveldb makes the folder and its lock file even when told not to create a
  // database, so an absent database is refused before leveldb sees the path.
  std::error_code error;
  if (!createIfMissing && !std::filesystem::exists(folder + "/CURRENT", error)) {
    *openStatus_ = leveldb::Status::InvalidArgument(folder, "no database here");
    return;
  }
  leveldb::Options options;
  options.create_if_missing = createIfMissing;
  leveldb::DB* db = nullptr;
  *openStatus_ = leveldb::DB::Open(options, folder, &db);
  if (openStatus_->ok()) db_.reset(db);
}

RecordDb::~RecordDb() { ThreadStatuses().erase(id_); }

void RecordDb::Keep(const leveldb::Status& status) const { ThreadStatuses()[id_] = status; }

bool RecordDb::FailNotOpen() const {
  Keep(*openStatus_);
  return false;
}

DbStatus RecordDb::LastStatus() const {
  const auto& statuses = ThreadStatuses();
  auto it = statuses.find(id_);
  const leveldb::Status& status = it == statuses.end() ? *openStatus_ : it->second;
  return DbStatus{status.ok(), Text(status.ToString())};
}

bool RecordDb::PutText(const String& key, const String& value, bool durable) {
  if (!db_) return FailNotOpen();
  leveldb::Status status = db_->Put(WriteOptions(durable), Bytes(key), Bytes(value));
  Keep(status);
  return status.ok();
}

bool RecordDb::PutJson(const String& key, const Json& doc, bool durable) {
  return PutText(key, doc.ToText(false), durable);
}

bool RecordDb::GetText(const String& key, String& value) {
  if (!db_) return FailNotOpen();
  std::string bytes;
  leveldb::Status status = db_->Get(leveldb::ReadOptions(), Bytes(key), &bytes);
  Keep(status);
  if (!status.ok()) return false;
  value = Text(bytes);
  return true;
}

bool RecordDb::GetJson(const String& key, Json& doc) {
  String text;
  if (!GetText(key, text)) return false;
  return doc.Parse(text.Handle(), static_cast<int>(text.Length())) != -1;
}

bool RecordDb::Delete(const String& key) {
  if (!db_) return FailNotOpen();
  leveldb::Status status = db_->Delete(leveldb::WriteOptions(), Bytes(key));
  Keep(status);
  return status.ok();
}

RecordDb::Batch::Batch() : batch_(new leveldb::WriteBatch) {}
RecordDb::Batch::~Batch() = default;

void RecordDb::Batch::PutJson(const String& key, const Json& doc) {
  batch_->Put(Bytes(key), Bytes(doc.ToText(false)));
  ++count_;
}

void RecordDb::Batch::Delete(const String& key) {
  batch_->Delete(Bytes(key));
  ++count_;
}

bool RecordDb::Write(Batch& batch, bool durable) {
  if (!db_) return FailNotOpen();
  leveldb::Status status = db_->Write(WriteOptions(durable), batch.batch_.get());
  Keep(status);
  return status.ok();
}

uint32_t RecordDb::ForEach(const RecordCallback& callback) {
  if (!db_) return 0;
  std::unique_ptr<leveldb::Iterator> it(db_->NewIterator(leveldb::ReadOptions()));
  uint32_t count = 0;
  std::u16string value;
  for (it->SeekToFirst(); it->Valid(); it->Next()) {
    ++count;
    const leveldb::Slice bytes = it->value();
    cp::ToUtf16(bytes.data(), bytes.size(), cp::kAnsi, value);
    Json doc;
    if (doc.Parse(value.data(), static_cast<int>(value.size())) == -1) continue;
    String key = Text(it->key());
    if (callback(key, doc)) break;
  }
  return count;
}

#include "store/record_db.h"

#include <leveldb/db.h>
#include <leveldb/write_batch.h>

#include <filesystem>

namespace {

std::string Bytes(const String& text) { return text.ToBytes(cp::kGbk); }

String Text(const leveldb::Slice& bytes) {
  String text;
  text.FromMultiByte(bytes.data(), bytes.size(), cp::kAnsi);
  return text;
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

RecordDb::RecordDb(const std::string& folder, bool createIfMissing) {
  // leveldb makes the folder and its lock file even when told not to create a
  // database, so an absent database is refused before leveldb sees the path.
  std::error_code error;
  if (!createIfMissing && !std::filesystem::exists(folder + "/CURRENT", error)) {
    openStatus_ = StatusOf(leveldb::Status::InvalidArgument(folder, "no database here"));
    return;
  }
  leveldb::Options options;
  options.create_if_missing = createIfMissing;
  leveldb::DB* db = nullptr;
  openStatus_ = StatusOf(leveldb::DB::Open(options, folder, &db));
  if (openStatus_.ok) db_.reset(db);
}

RecordDb::~RecordDb() = default;

DbStatus RecordDb::PutText(const String& key, const String& value, bool durable) {
  if (!db_) return openStatus_;
  return StatusOf(db_->Put(WriteOptions(durable), Bytes(key), Bytes(value)));
}

DbStatus RecordDb::PutJson(const String& key, const Json& doc, bool durable) {
  return PutText(key, doc.ToText(false), durable);
}

DbStatus RecordDb::GetText(const String& key, String& value) {
  if (!db_) return openStatus_;
  std::string bytes;
  const leveldb::Status status = db_->Get(leveldb::ReadOptions(), Bytes(key), &bytes);
  if (status.ok()) value = Text(bytes);
  return StatusOf(status);
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
  if (!db_) return openStatus_;
  return StatusOf(db_->Delete(leveldb::WriteOptions(), Bytes(key)));
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

DbStatus RecordDb::Write(Batch& batch, bool durable) {
  if (!db_) return openStatus_;
  return StatusOf(db_->Write(WriteOptions(durable), batch.batch_.get()));
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

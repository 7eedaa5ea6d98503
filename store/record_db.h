#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/function.h"
#include "base/json.h"
#include "base/string.h"

namespace leveldb {
class DB;
class Status;
class WriteBatch;
}  // namespace leveldb

// The result of a database operation: whether it succeeded and leveldb's text
// for it (for example "IO error: ..." or "NotFound: ").
struct DbStatus {
  bool ok = false;
  String text;
};

// The record database: one leveldb folder holding, per record, its key (GBK
// bytes) and the compact JSON text of {"data", "selected", "uploaded"} (GBK
// bytes). Keys sort bytewise, so records come back in order of test time.
// Safe to use from several threads (leveldb serialises its writes); the status
// of an operation belongs to the thread that ran it. Not copyable.
class RecordDb {
 public:
  // Opens the folder, creating it unless `createIfMissing` is false (then an
  // absent database fails and nothing is created on disk). A failed
  // open (for example a folder locked by another running copy) leaves every
  // operation failing with the open status.
  explicit RecordDb(const std::string& folder, bool createIfMissing = true);
  ~RecordDb();
  RecordDb(const RecordDb&) = delete;
  RecordDb& operator=(const RecordDb&) = delete;

  bool IsOpen() const { return db_ != nullptr; }

  // A `durable` write reaches the disk before the call returns, so a power cut
  // right after it cannot lose it; other writes may sit in the OS cache.
  bool PutText(const String& key, const String& value, bool durable = false);
  bool PutJson(const String& key, const Json& doc, bool durable = false);
  bool GetText(const String& key, String& value);
  // Parses the stored text into `doc` (an empty text gives an empty doc). False,
  // doc untouched, when the key is absent or the read fails; false after a failed parse.
  bool GetJson(const String& key, Json& doc);
  bool Delete(const String& key);  // deleting an absent key succeeds

  // Several writes applied together in one write (all or none).
  class Batch {
   public:
    Batch();
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    void PutJson(const String& key, const Json& doc);
    void Delete(const String& key);
    bool IsEmpty() const { return count_ == 0; }

   private:
    friend class RecordDb;
    std::unique_ptr<leveldb::WriteBatch> batch_;
    uint32_t count_ = 0;
  };
  bool Write(Batch& batch, bool durable = false);

  // Visits every entry in key order with its key and parsed value; an entry
  // whose value is not JSON is skipped. The callback returns true to stop.
  // Returns the number of entries visited, skipped ones included.
  using RecordCallback = Function<bool(String& key, Json& doc)>;
  uint32_t ForEach(const RecordCallback& callback);

  // The status of the last operation this thread ran on this database (the
  // open status before its first one).
  DbStatus LastStatus() const;

 private:
  void Keep(const leveldb::Status& status) const;
  bool FailNotOpen() const;  // an operation on a database that did not open

  std::unique_ptr<leveldb::DB> db_;
  std::unique_ptr<leveldb::Status> openStatus_;
  const uint64_t id_;  // tells this database's per-thread status apart from others'
};

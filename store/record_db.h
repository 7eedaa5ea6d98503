#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "base/function.h"
#include "base/json.h"
#include "base/status.h"
#include "base/string.h"

namespace leveldb {
class DB;
class Slice;
class WriteBatch;
}  // namespace leveldb

// The result of one database operation: whether it succeeded and, when not,
// leveldb's text for it (for example "IO error: ..." or "NotFound: ").
using DbStatus = Status;

// The record database: one leveldb folder holding, per record, its key (GBK
// bytes) and the compact JSON text of {"data", "selected", "uploaded"} (GBK
// bytes). Keys sort bytewise, so records come back in order of test time.
// Safe to use from several threads (leveldb serialises its writes). Not copyable.
class RecordDb {
 public:
  // Opens the folder, creating a database only in an absent or empty folder
  // (and only when `createIfMissing`): a folder that holds files but no
  // database that opens is never written over. Reads check checksums. A
  // failed open (a folder locked by another running copy, a damaged
  // database) leaves every operation failing with the open status.
  explicit RecordDb(const std::string& folder, bool createIfMissing = true);
  ~RecordDb();
  RecordDb(const RecordDb&) = delete;
  RecordDb& operator=(const RecordDb&) = delete;

  bool IsOpen() const { return db_ != nullptr; }
  // The open failed because another program (or another RecordDb) holds the folder.
  bool LockedElsewhere() const;
  // The open failed on a folder that holds database files: a repair may help.
  bool Damaged() const { return damaged_; }
  // Why the open failed, for a message that names the real cause.
  enum class OpenProblem {
    kNone,
    kLocked,
    kNoPermission,
    kReadOnly,
    kNotAFolder,
    kDamaged,
    kOther
  };
  OpenProblem Problem() const;
  const std::string& Folder() const { return folder_; }

  // Copies the folder to `<folder>.backup-<yyyyMMdd-HHmmss>` (its path in
  // `backup`), then rebuilds the database from what its files still hold.
  // Call with no RecordDb open on the folder.
  static DbStatus Repair(const std::string& folder, std::string& backup);
  // The copy alone (before any change a person may want to undo).
  static DbStatus KeepCopy(const std::string& folder, std::string& backup);
  // Closes the database and opens the folder again (after a repair, or to
  // clear an error leveldb keeps after a failed write). Waits for running
  // operations; safe while other threads use the database.
  void Reopen();
  // The database as it stood at one moment, for a long read while writes go
  // on. Let go of it before the RecordDb goes; it reads nothing once the
  // database was opened again (Reopen).
  class Moment;
  // Closes the database, runs `work` while no operation and no background
  // work of leveldb's touches the folder (its files then hold one finished
  // state), and opens it again. Other threads' operations wait meanwhile.
  // Returns the reopened database's moment before any other write (null when
  // it did not open): it holds what the folder held during `work`.
  std::shared_ptr<Moment> WhileClosed(const std::function<void()>& work);

  // A `durable` write reaches the disk before the call returns, so a power cut
  // right after it cannot lose it; other writes may sit in the OS cache.
  DbStatus PutText(const String& key, const String& value, bool durable = false);
  DbStatus PutJson(const String& key, const Json& doc, bool durable = false);
  DbStatus GetText(const String& key, String& value);
  // Parses the stored text into `doc` (an empty text gives an empty doc). Fails,
  // doc untouched, when the key is absent or the read fails; fails after a failed parse.
  DbStatus GetJson(const String& key, Json& doc);
  // The stored bytes of one key (GBK key, GBK value text).
  DbStatus GetBytes(const std::string& key, std::string& value);
  DbStatus Delete(const String& key);  // deleting an absent key succeeds
  // The last key (in key order) that starts with `prefix`, found with one
  // seek; false when there is none.
  bool LastKeyWithPrefix(const String& prefix, String& key);
  // Reads and seeks done so far (tests check that a store costs a few).
  uint64_t LookupCount() const { return lookups_; }

  // Several writes applied together in one write (all or none).
  class Batch {
   public:
    Batch();
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    void PutJson(const String& key, const Json& doc);
    // A value the caller made as stored bytes (GBK key, GBK value text).
    void PutBytes(const std::string& key, const std::string& value);
    void Delete(const String& key);
    void DeleteBytes(const std::string& key);
    bool IsEmpty() const { return count_ == 0; }

   private:
    friend class RecordDb;
    std::unique_ptr<leveldb::WriteBatch> batch_;
    uint32_t count_ = 0;
  };
  DbStatus Write(Batch& batch, bool durable = false);

  // Visits every entry in key order with its key and parsed value; an entry
  // whose value is not JSON is skipped. The callback returns true to stop.
  // Returns the number of entries visited, skipped ones included.
  using RecordCallback = Function<bool(String& key, Json& doc)>;
  // `status`, when given, tells whether the walk reached the end or stopped
  // at a damaged block (the entries before it were visited).
  uint32_t ForEach(const RecordCallback& callback, DbStatus* status = nullptr);
  // Every entry in key order as its stored bytes (GBK key, GBK value text),
  // for a caller that reads the value faster than a parse into Json.
  using RawCallback =
      Function<void(const char* key, size_t keyLength, const char* value, size_t valueLength)>;
  uint32_t ForEachRaw(const RawCallback& callback, DbStatus* status = nullptr);
  // The same over a moment of the database, for the keys from `from` up to
  // (not including) `to`; empty: from the first, to the end.
  uint32_t ForEachRawAt(const Moment& moment, const RawCallback& callback,
                        DbStatus* status = nullptr, const std::string& from = std::string(),
                        const std::string& to = std::string());
  // The first and the last key at that moment (both empty when there is none).
  void EndKeysAt(const Moment& moment, std::string& first, std::string& last);
  // About how many bytes the files hold for the keys from `from` up to (not
  // including) `to`, from the tables' indexes (nothing is read); for cutting
  // a walk into pieces of similar size.
  uint64_t ApproximateBytes(const std::string& from, const std::string& to);

  // How opening went; every operation on a database that did not open fails
  // with this.
  const DbStatus& OpenStatus() const { return openStatus_; }

 private:
  using EntryVisitor = std::function<bool(const leveldb::Slice& key, const leveldb::Slice& value)>;
  void Open();
  uint32_t Walk(const EntryVisitor& visit, DbStatus* status, const Moment* moment = nullptr,
                const std::string& from = std::string(), const std::string& to = std::string());

  std::string folder_;
  bool createIfMissing_;
  bool damaged_ = false;
  mutable std::shared_mutex lock_;  // operations share it; Reopen takes it alone
  std::unique_ptr<leveldb::DB> db_;
  DbStatus openStatus_;
  std::atomic<uint64_t> lookups_{0};
  uint64_t opened_ = 0;  // counts the opens: a moment belongs to one of them
};

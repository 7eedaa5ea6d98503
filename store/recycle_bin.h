#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "base/string.h"
#include "store/record_db.h"

// Deleted records, kept in a database of their own beside the record
// database (whose keys and values stay as they are) until they are restored
// or removed for good. An entry keeps the record's key and its stored bytes
// exactly, with the time it was deleted.
//
// The records of one delete are kept together in a few large entries (one
// write however many records go). A move between the two databases is three
// writes: the bin first notes the move (the records, and a mark saying which
// way they go), then the record database changes, then the mark goes. A crash in between leaves the
// marks, and FinishInterrupted (run before the records are read at start)
// completes the move, so every record ends up in exactly one of the two
// places. Any thread; one move at a time (the window's record owner).
class RecycleBin {
 public:
  static std::string FolderFor(const std::string& storageFolder) {
    return storageFolder + ".recycle";
  }

  struct Entry {
    std::string id;     // the entry's own key in the bin
    std::string key;    // as the record database stores it (GBK)
    std::string value;  // the record's stored bytes
    String deleted;     // "yyyy-MM-dd HH:mm:ss", local time
  };

  RecycleBin(RecordDb& records, const std::string& folder, bool createIfMissing = true);
  RecycleBin(const RecycleBin&) = delete;
  RecycleBin& operator=(const RecycleBin&) = delete;

  const DbStatus& OpenStatus() const { return bin_.OpenStatus(); }
  RecordDb& Database() { return bin_; }

  // Moves the records of `keys` out of the record database into the bin,
  // stamped `deleted`. Keys not stored are passed over; `moved` counts the
  // others. Failed: nothing moved (or, after the bin's first write, the
  // marks left finish the move at the next start).
  DbStatus MoveIn(const std::vector<std::string>& keys, const String& deleted, uint32_t& moved);
  // The same for records whose stored bytes the caller has (a value left
  // empty is read from the record database).
  struct Leaving {
    std::string key;
    std::string value;
  };
  DbStatus MoveIn(std::vector<Leaving>& records, const String& deleted, uint32_t& moved);
  // Puts the entries `ids` back exactly as they were stored; `restored`
  // gets them. A key the record database holds again (a new record under it)
  // stays in the bin and is named in `clashes`.
  DbStatus MoveOut(const std::vector<std::string>& ids, std::vector<Entry>& restored,
                   std::vector<std::string>* clashes = nullptr);
  // Removes entries (their ids) for good, in one durable write.
  DbStatus Purge(const std::vector<std::string>& ids);

  // Every entry, in key order (the test time).
  std::vector<Entry> Entries(DbStatus* status = nullptr);
  // The ids of the entries deleted before `time` ("yyyy-MM-dd HH:mm:ss").
  std::vector<std::string> DeletedBefore(const String& time);
  size_t Count();

  // The record key (GBK) an entry id names; empty for no id of ours.
  static std::string KeyOf(const std::string& id);

  // How many deleted records one stored entry of a bin's database holds (a
  // backup counts them from its own moment of the bin).
  static size_t RecordsIn(const char* key, size_t keyLength, const char* value, size_t valueLength);

  // Completes the moves a crash interrupted; `finished` counts the records.
  DbStatus FinishInterrupted(uint32_t* finished = nullptr);

  // Called after each of a move's three writes (1 the note, 2 the record
  // database, 3 the mark gone), so that a test can end the process there.
  void SetStepHook(std::function<void(int step)> hook) { stepHook_ = std::move(hook); }

 private:
  void Stepped(int step) const {
    if (stepHook_) stepHook_(step);
  }

  RecordDb& records_;
  RecordDb bin_;
  std::function<void(int)> stepHook_;
};

// Whether a database status means "no such key" rather than a failure.
bool IsNotFound(const DbStatus& status);

#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/status.h"
#include "base/string.h"
#include "store/record_db.h"

// The records waiting to be uploaded by themselves, in the order they were
// queued. Kept in a database of its own beside the record database (the
// record database keeps its keys and values as they are), every change
// written durably: a record queued is still queued after a crash or a power
// cut, and one taken out is gone for good. Records the server rejected leave
// the queue with the server's words kept beside it. Any thread.
class Outbox {
 public:
  struct Entry {
    uint64_t number = 0;  // the queue's own order
    String key;           // the record's key in the record database
    String queued;        // "yyyy-MM-dd HH:mm:ss"
  };

  // The outbox of the record database in `storageFolder`.
  static std::string FolderFor(const std::string& storageFolder) {
    return storageFolder + ".outbox";
  }

  explicit Outbox(const std::string& folder, bool createIfMissing = true);
  const DbStatus& OpenStatus() const { return db_.OpenStatus(); }

  // Queues the records of `keys` that are not queued yet, in one durable
  // write; a record queued again loses its rejection. `expected`: the test
  // time announced by Expect, forgotten in the same write.
  DbStatus Add(const std::vector<String>& keys, const String& now,
               const String& expected = String(u""));
  // Says, before a record with this test time is stored, that it is to be
  // queued: a crash between the record's write and Add leaves the test time
  // here, and the next start queues what was stored under it.
  DbStatus Expect(const String& testTime);
  // The test times announced and not yet queued (after a crash), and their end.
  std::vector<String> Expected() const;
  DbStatus ForgetExpected();
  // The oldest `count` entries, oldest first.
  std::vector<Entry> Front(size_t count) const;
  // Takes entries out (accepted, or found gone), in one durable write.
  DbStatus Remove(const std::vector<uint64_t>& numbers);
  // Takes an entry out and keeps why the server refused its record.
  DbStatus Reject(uint64_t number, const String& key, const String& why);

  size_t Count() const;
  bool Contains(const String& key) const;
  // The queued time of the oldest entry; empty when none waits.
  String OldestQueued() const;
  // The records the server refused, with its words.
  std::map<std::u16string, String> Rejections() const;

 private:
  mutable std::mutex lock_;
  RecordDb db_;
  std::map<uint64_t, Entry> entries_;
  std::map<std::u16string, uint64_t> byKey_;
  std::map<std::u16string, String> rejected_;
  std::vector<String> expected_;
  uint64_t next_ = 1;
};

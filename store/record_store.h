#pragma once

#include <cstdint>
#include <vector>

#include "base/list.h"
#include "base/string.h"
#include "store/nc_item_data.h"
#include "store/record_db.h"
#include "store/stored_value.h"

// The record operations the main window runs against the database. Plain
// functions over a RecordDb; each reports through the database's status of
// the calling thread.

// Stores a record received from the detector as {"data": text, "selected":
// false, "uploaded": false, "deviceid": the device ID it was captured under
// (left out when there is none)}, written durably. Usually under `key` (the
// test time); when that key already holds a different record (several
// channels finishing in the same second) it goes under a key that sorts right
// after: key + "+" + channel, then key + "+" + channel + "+002", "+003" ...
// The same text again is the same test sent again: nothing is written and
// `duplicate` says so. Returns the key used and the write's result.
struct [[nodiscard]] StoredRecord {
  String key;
  DbStatus status;
  bool duplicate = false;
};
StoredRecord StoreReceivedRecord(RecordDb& db, const String& key, const String& text,
                                 bool durable = true, const String& deviceId = String(u""));

// Builds the record of one stored entry and appends it; it keeps `key`, the
// key it is stored under. Null when "data" has fewer than 15 fields (such an
// entry stays stored but is never listed).
_NcItemData* AppendLoadedRecord(NcItemList& records, const String& key, const Json& doc,
                                const String& deviceId);
// Lists stored entries (GBK key and value bytes) as the start-up load does.
class StoredEntryReader {
 public:
  // `deviceId`: the station's ID, for values that name none.
  explicit StoredEntryReader(const String& deviceId) : deviceId_(deviceId) {}
  void Append(NcItemList& records, const char* key, size_t keyLength, const char* bytes,
              size_t length);

 private:
  String deviceId_;
  StoredValue value_;
  std::string keyForm_;
  std::u16string wide_;
  std::string lastIdBytes_;  // the last stored device ID met, and as a String
  String lastId_;
};

// The start-up load: every stored record appended in key order, in one walk
// over the database. Values in the program's own layout are read without a
// Json tree; any other value goes through the JSON parser (a value that is not
// JSON is skipped). The status tells whether the walk reached the end.
DbStatus LoadRecordList(RecordDb& db, NcItemList& records, const String& deviceId);

// Whether the start-up load lists a stored value: false for a value that is
// not JSON or whose "data" has fewer than 15 fields (line noise stored by an
// older version). `why` says which.
bool IsListedValue(const char* bytes, size_t length, const char** why = nullptr);

// Rewrite one flag of a stored record; nothing happens (false) when the record
// cannot be read. A single tick is not forced to disk.
[[nodiscard]] bool SetRecordSelected(RecordDb& db, const String& key, bool selected);
[[nodiscard]] bool SetRecordUploaded(RecordDb& db, const String& key);
// Removes every ticked record from the database in one write that reaches the
// disk, and then from the list (one pass, so deleting half of a large list
// stays linear); `removed` says how many went. When the write fails nothing is
// removed from the list either, and the status says why.
DbStatus DeleteSelectedRecords(NcItemList& records, RecordDb& db, uint32_t& removed);
// The database half of that: the ticked records' keys deleted in one write
// that reaches the disk (`count` says how many); the list is left as it is.
DbStatus DeleteSelectedFromDb(const NcItemList& records, RecordDb& db, uint32_t& count);

// A record text as the stored value gives it back: the JSON writer drops
// U+0000 (line noise can put zero bytes into a frame).
String AsStoredText(const String& text);

// The key of a record as the database holds it (GBK bytes).
std::string StoredKeyBytes(const _NcItemData& record);
// The stored value of a record kept in the program's own form, made from the
// list (byte for byte what the database holds); false for other values.
bool StoredValueBytes(const _NcItemData& record, std::string& value);

// Tells whether records are still stored (the export's and the upload's
// check). For many records one walk over the keys; for a few of a large
// database (`checks` of `listed`), one look-up each.
class StoredKeys {
 public:
  explicit StoredKeys(RecordDb& db, size_t checks = SIZE_MAX, size_t listed = 0);
  bool Contains(const _NcItemData& record) const;

 private:
  RecordDb& db_;
  bool walked_ = false;
  std::vector<std::string> keys_;  // as stored, so in the database's order
};

// The select-all change: every stored record of the list whose box is not
// yet in that state, in one write that reaches the disk. Values in the
// program's own layout are written from the list; others are read back and
// only their flag changed. The list's flags are left to the caller (they
// change only when the write succeeded).
// With `rows`, only those records (indexes into the list).
DbStatus SetRecordsSelected(RecordDb& db, const NcItemList& records, bool selected,
                            const std::vector<uint32_t>* rows = nullptr);
// Writes the device ID each listed record was given at load into the stored
// values that name none, in one write that reaches the disk: run before the
// station's ID changes, so earlier records keep their trace codes.
DbStatus StampDeviceIds(RecordDb& db, NcItemList& records);
// The database half of that: the list is left as it is, and `stamped` gets
// the indexes of the records whose values now name their ID.
DbStatus StoreDeviceIds(RecordDb& db, const NcItemList& records, std::vector<uint32_t>& stamped);

// The "uploaded" flag of every readable record of `keys`, in one write that
// reaches the disk.
DbStatus SetRecordsUploaded(RecordDb& db, const std::vector<String>& keys);

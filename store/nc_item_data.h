#pragma once

#include <cstdint>

#include "base/list.h"
#include "base/string.h"

// One test record as the program holds it: one per row of the record list.
// Built from a record text (the detector's record without ":NC"); the list
// that holds it owns it. Belongs to the UI thread once appended.
struct _NcItemData {
  static constexpr int kColumns = 20;  // 0 to 14 are shown, 15 to 19 stay empty

  String key;                // field 0, the test time: the record's database key
  String uid;                // the record hash: 40 uppercase hexadecimal digits
  String columns[kColumns];  // the row's display texts
  bool selected = false;     // the row's check state, mirrored in the database
  bool uploaded = false;     // the stored "uploaded" flag when the row was built
  void* checkbox = nullptr;  // the row's check box in the list view; not owned
  // Increases with every record built in this run, so work done elsewhere (an
  // upload) can find its record again, or learn that it was deleted meanwhile.
  uint64_t serial = 0;
};

// The record of `serial` in a list built by AppendRecord (serials grow along
// the list); null when it is no longer there.
_NcItemData* FindBySerial(ObjectList<_NcItemData>& records, uint64_t serial);
// The index of that record, or -1.
int IndexBySerial(const ObjectList<_NcItemData>& records, uint64_t serial);

// Builds a record from `text` and appends it to `records`: fields split and
// trimmed, columns filled, uid hashed over the untrimmed text with `deviceId`.
// A text with fewer than 15 fields is not a record: nothing is appended and
// the result is null.
_NcItemData* AppendRecord(ObjectList<_NcItemData>& records, const String& text, bool selected,
                          bool uploaded, const String& deviceId);

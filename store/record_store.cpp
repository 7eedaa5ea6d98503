#include "store/record_store.h"

#include <algorithm>
#include <cstring>

#include "device/device_id.h"
#include "store/stored_value.h"

namespace {

Json NewRecordValue(const String& text, const String& deviceId) {
  Json value;
  value.SetPropertyStr(u"data", text);  // all of it, even past a zero byte from line noise
  value.SetPropertyBool(u"selected", false);
  value.SetPropertyBool(u"uploaded", false);
  if (!deviceId.IsEmpty()) value.SetPropertyStr(u"deviceid", deviceId);
  return value;
}

// The "deviceid" member of a value read with the JSON parser, when it is one.
String StoredDeviceId(const Json& doc) {
  String id = doc.PropertyStr(u"deviceid", u"");
  return CanonicalDeviceId(id) ? id : String(u"");
}

String Channel(const String& text) {
  ObjectList<String> fields;
  String::Split(text, u"+", fields);
  return fields.Count() > 1 ? fields[1].Trim() : String(u"");
}

enum class KeyHolds { kNothing, kThisText, kOther };

// What `key` holds: nothing, exactly this record text, or another record.
KeyHolds KeyHoldsText(RecordDb& db, const String& key, const String& text) {
  String stored;
  if (!db.GetText(key, stored)) return KeyHolds::kNothing;  // (or unreadable: the put will tell)
  Json doc;
  if (doc.Parse(stored.Handle(), static_cast<int>(stored.Length())) == -1) return KeyHolds::kOther;
  return AsStoredText(text) == doc.PropertyStr(u"data", u"") ? KeyHolds::kThisText
                                                             : KeyHolds::kOther;
}

bool SetFlag(RecordDb& db, const String& key, const char16_t* flag, bool value) {
  Json doc;
  if (!db.GetJson(key, doc)) return false;
  doc.SetPropertyBool(flag, value);
  return db.PutJson(key, doc).ok;
}

}  // namespace

namespace {

// Numbers are 64 bits wide on every system: a twelve-digit tail overflows
// Windows' 32-bit long, and a wrong number would write over a stored record.
String NumberedKey(const String& base, uint64_t n) {
  String key;
  if (n <= 999) {
    key.Format(u"%s+%03llu", base.Handle(), static_cast<unsigned long long>(n));
  } else {
    // After "+999" and still in arrival order for any count: a fixed width
    // behind the "+999" that sorts after it.
    key.Format(u"%s+999%09llu", base.Handle(), static_cast<unsigned long long>(n));
  }
  return key;
}

// The number of a key made by NumberedKey from `base`; 0 for anything else.
uint64_t NumberOf(const String& key, const String& base) {
  const String tail = key.Mid(static_cast<int>(base.Length()) + 1);
  if (tail.Length() != 3 && tail.Length() != 12) return 0;
  uint64_t n = 0;
  for (uint32_t i = 0; i < tail.Length(); ++i) {
    const char16_t c = tail.Element(i);
    if (c < u'0' || c > u'9') return 0;
    n = n * 10 + static_cast<uint64_t>(c - u'0');
  }
  return tail.Length() == 3 ? n : n % 1000000000u;
}

}  // namespace

StoredRecord StoreReceivedRecord(RecordDb& db, const String& key, const String& text, bool durable,
                                 const String& deviceId) {
  String chosen = key;
  KeyHolds holds = KeyHoldsText(db, chosen, text);
  if (holds == KeyHolds::kOther) {
    const String base = key + u"+" + Channel(text);
    chosen = base;
    holds = KeyHoldsText(db, chosen, text);
    if (holds == KeyHolds::kOther) {
      // The numbered keys of this second and channel: only the last one is
      // looked at (one seek), so a busy second costs the same as a quiet one.
      String last;
      if (!db.LastKeyWithPrefix(base + u"+", last)) {
        chosen = NumberedKey(base, 2);
        holds = KeyHolds::kNothing;
      } else if ((holds = KeyHoldsText(db, last, text)) == KeyHolds::kThisText) {
        chosen = last;
      } else {
        chosen = NumberedKey(base, std::max<uint64_t>(2, NumberOf(last, base) + 1));
        holds = KeyHolds::kNothing;
      }
    }
  }
  if (holds == KeyHolds::kThisText) {
    // The same test sent again: the stored record, its flags and its device
    // ID stay as they are.
    return StoredRecord{chosen, DbStatus{true, String(u"")}, true};
  }
  DbStatus status = db.PutJson(chosen, NewRecordValue(text, deviceId), durable);
  return StoredRecord{chosen, status, false};
}

_NcItemData* AppendLoadedRecord(NcItemList& records, const String& key, const Json& doc,
                                const String& deviceId) {
  const String storedId = StoredDeviceId(doc);
  _NcItemData* record =
      records.Append(key, doc.PropertyStr(u"data", u""), doc.PropertyBool(u"selected", false),
                     doc.PropertyBool(u"uploaded", false), storedId.IsEmpty() ? deviceId : storedId,
                     !storedId.IsEmpty());
  if (record) record->plainValue = false;  // flag changes read the value back
  return record;
}

namespace {

bool IsAscii(const char* bytes, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  }
  return true;
}

}  // namespace

String AsStoredText(const String& text) {
  String out(u"");
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (text.Element(i) != 0) out.Append(text.Element(i));
  }
  return out;
}

std::string StoredKeyBytes(const _NcItemData& record) {
  const std::string_view key = record.KeyForm();
  // Without escapes the form is the key's ASCII, and GBK agrees with ASCII.
  if (key.find('\\') == std::string_view::npos) return std::string(key);
  return record.Key().ToBytes(cp::kGbk);
}

void StoredEntryReader::Append(NcItemList& records, const char* key, size_t keyLength,
                               const char* bytes, size_t length) {
  const bool plainKey = IsAscii(key, keyLength) && !std::memchr(key, '\\', keyLength) &&
                        !std::memchr(key, '/', keyLength) && !std::memchr(key, '"', keyLength);
  if (!plainKey || keyLength == 0 || std::memchr(key, 0, keyLength)) {
    cp::ToUtf16(key, keyLength, cp::kAnsi, wide_);
    bool exact;
    EscapeText(wide_.data(), wide_.size(), keyForm_, exact);
  } else {
    keyForm_.assign(key, keyLength);
  }
  if (ReadStoredValue(bytes, length, value_)) {
    const bool ownId = !value_.deviceId.empty();
    if (ownId && value_.deviceId != lastIdBytes_) {
      lastIdBytes_.assign(value_.deviceId);
      lastId_ = String::FromBytes(lastIdBytes_, cp::kUtf8);
    }
    records.AppendForm(keyForm_, value_.text, value_.exact, value_.selected, value_.uploaded,
                       value_.plain, ownId ? lastId_ : deviceId_, ownId);
    return;
  }
  cp::ToUtf16(bytes, length, cp::kAnsi, wide_);
  Json doc;
  if (doc.Parse(wide_.data(), static_cast<int>(wide_.size())) == -1) return;
  AppendLoadedRecord(records, UnescapeText(keyForm_), doc, deviceId_);
}

DbStatus LoadRecordList(RecordDb& db, NcItemList& records, const String& deviceId) {
  DbStatus status;
  StoredEntryReader reader(deviceId);
  db.ForEachRaw([&](const char* key, size_t keyLength, const char* bytes,
                    size_t length) { reader.Append(records, key, keyLength, bytes, length); },
                &status);
  return status;
}

bool IsListedValue(const char* bytes, size_t length, const char** why) {
  StoredValue value;
  if (ReadStoredValue(bytes, length, value)) {
    if (NcItemList::IsRecordForm(value.text)) return true;
    if (why) *why = "fewer than 15 fields";
    return false;
  }
  std::u16string wide;
  cp::ToUtf16(bytes, length, cp::kAnsi, wide);
  Json doc;
  if (doc.Parse(wide.data(), static_cast<int>(wide.size())) == -1) {
    if (why) *why = "not JSON";
    return false;
  }
  if (IsRecordText(doc.PropertyStr(u"data", u""))) return true;
  if (why) *why = "fewer than 15 fields";
  return false;
}

bool SetRecordSelected(RecordDb& db, const String& key, bool selected) {
  return SetFlag(db, key, u"selected", selected);
}

bool SetRecordUploaded(RecordDb& db, const String& key) {
  return SetFlag(db, key, u"uploaded", true);
}

namespace {

DbStatus SetFlags(RecordDb& db, const std::vector<String>& keys, const char16_t* flag, bool value) {
  RecordDb::Batch batch;
  for (const String& key : keys) {
    Json doc;
    if (!db.GetJson(key, doc)) continue;
    doc.SetPropertyBool(flag, value);
    batch.PutJson(key, doc);
  }
  if (batch.IsEmpty()) return DbStatus{true, String(u"")};
  return db.Write(batch, true);
}

}  // namespace

StoredKeys::StoredKeys(RecordDb& db, size_t checks, size_t listed) : db_(db) {
  if (checks != SIZE_MAX && checks * 16 < listed) return;  // a few look-ups cost less
  walked_ = true;
  db.ForEachRaw([this](const char* key, size_t length, const char*, size_t) {
    keys_.emplace_back(key, length);
  });
}

bool StoredKeys::Contains(const _NcItemData& record) const {
  if (!record.stored) return false;
  if (!walked_) {
    String value;
    return db_.GetText(record.Key(), value).ok;
  }
  return std::binary_search(keys_.begin(), keys_.end(), StoredKeyBytes(record));
}

namespace {

// The record's "deviceid" as stored: empty when its value names none.
std::string StoredIdBytes(const _NcItemData& record) {
  return record.deviceIdStored ? record.DeviceId().ToBytes(cp::kUtf8) : std::string();
}

}  // namespace

bool StoredValueBytes(const _NcItemData& record, std::string& value) {
  if (!record.plainValue || !record.stored) return false;
  MakeStoredValue(record.TextForm(), record.ExactForm(), record.selected, record.uploaded, value,
                  StoredIdBytes(record));
  return true;
}

DbStatus SetRecordsSelected(RecordDb& db, const NcItemList& records, bool selected,
                            const std::vector<uint32_t>* rows) {
  RecordDb::Batch batch;
  std::string value;
  const size_t count = rows ? rows->size() : records.Count();
  for (size_t i = 0; i < count; ++i) {
    const _NcItemData& record = records[rows ? (*rows)[i] : static_cast<uint32_t>(i)];
    if (!record.stored) continue;               // still waiting to be stored: nothing to change
    if (record.selected == selected) continue;  // stored as it is already
    if (record.plainValue) {
      MakeStoredValue(record.TextForm(), record.ExactForm(), selected, record.uploaded, value,
                      StoredIdBytes(record));
      batch.PutBytes(StoredKeyBytes(record), value);
      continue;
    }
    Json doc;
    if (!db.GetJson(record.Key(), doc)) continue;
    doc.SetPropertyBool(u"selected", selected);
    batch.PutJson(record.Key(), doc);
  }
  if (batch.IsEmpty()) return DbStatus{true, String(u"")};
  return db.Write(batch, true);
}

DbStatus SetRecordsUploaded(RecordDb& db, const std::vector<String>& keys) {
  return SetFlags(db, keys, u"uploaded", true);
}

DbStatus DeleteSelectedFromDb(const NcItemList& records, RecordDb& db, uint32_t& count) {
  count = 0;
  RecordDb::Batch batch;
  for (uint32_t i = records.Count(); i-- > 0;) {
    if (!records[i].selected) continue;
    batch.DeleteBytes(StoredKeyBytes(records[i]));
    ++count;
  }
  if (batch.IsEmpty()) return DbStatus{true, String(u"")};
  return db.Write(batch, true);
}

DbStatus DeleteSelectedRecords(NcItemList& records, RecordDb& db, uint32_t& removed) {
  removed = 0;
  uint32_t count = 0;
  DbStatus status = DeleteSelectedFromDb(records, db, count);
  if (!status) return status;  // nothing leaves the list that is still stored
  removed = records.RemoveIf([](const _NcItemData& r) { return r.selected; });
  return status;
}

DbStatus StoreDeviceIds(RecordDb& db, const NcItemList& records, std::vector<uint32_t>& stamped) {
  stamped.clear();
  RecordDb::Batch batch;
  std::string value;
  std::vector<uint32_t> written;
  for (uint32_t i = 0; i < records.Count(); ++i) {
    const _NcItemData& record = records[i];
    if (!record.stored || record.deviceIdStored) continue;
    String id = record.DeviceId();
    if (!CanonicalDeviceId(id)) continue;  // captured with no ID: nothing to keep
    if (record.plainValue) {
      MakeStoredValue(record.TextForm(), record.ExactForm(), record.selected, record.uploaded,
                      value, id.ToBytes(cp::kUtf8));
      batch.PutBytes(StoredKeyBytes(record), value);
    } else {
      Json doc;
      if (!db.GetJson(record.Key(), doc)) continue;
      doc.SetPropertyStr(u"deviceid", id);
      batch.PutJson(record.Key(), doc);
    }
    written.push_back(i);
  }
  if (batch.IsEmpty()) return DbStatus{true, String(u"")};
  DbStatus status = db.Write(batch, true);
  if (status) stamped = std::move(written);
  return status;
}

DbStatus StampDeviceIds(RecordDb& db, NcItemList& records) {
  std::vector<uint32_t> stamped;
  DbStatus status = StoreDeviceIds(db, records, stamped);
  for (const uint32_t i : stamped) records[i].deviceIdStored = true;
  return status;
}

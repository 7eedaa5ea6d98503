#include "store/record_store.h"

namespace {

Json NewRecordValue(const String& text) {
  Json value;
  value.SetPropertyStr(u"data", text);  // all of it, even past a zero byte from line noise
  value.SetPropertyBool(u"selected", false);
  value.SetPropertyBool(u"uploaded", false);
  return value;
}

String Channel(const String& text) {
  ObjectList<String> fields;
  String::Split(text, u"+", fields);
  return fields.Count() > 1 ? fields[1].Trim() : String(u"");
}

// The text as the stored value gives it back: the JSON writer drops U+0000
// (line noise can put zero bytes into a frame).
String AsStored(const String& text) {
  String out(u"");
  for (uint32_t i = 0; i < text.Length(); ++i) {
    if (text.Element(i) != 0) out.Append(text.Element(i));
  }
  return out;
}

// Whether `key` is free or already holds exactly this record text.
bool KeyTakesText(RecordDb& db, const String& key, const String& text) {
  String stored;
  if (!db.GetText(key, stored)) return true;  // absent (or unreadable: the put will tell)
  Json doc;
  if (doc.Parse(stored.Handle(), static_cast<int>(stored.Length())) == -1) return false;
  return AsStored(text) == doc.PropertyStr(u"data", u"");
}

bool SetFlag(RecordDb& db, const String& key, const char16_t* flag, bool value) {
  Json doc;
  if (!db.GetJson(key, doc)) return false;
  doc.SetPropertyBool(flag, value);
  return db.PutJson(key, doc).ok;
}

}  // namespace

StoredRecord StoreReceivedRecord(RecordDb& db, const String& key, const String& text) {
  String chosen = key;
  if (!KeyTakesText(db, chosen, text)) {
    const String base = key + u"+" + Channel(text);
    chosen = base;
    for (int n = 2; !KeyTakesText(db, chosen, text); ++n)
      chosen.Format(u"%s+%03d", base.Handle(), n);
  }
  DbStatus status = db.PutJson(chosen, NewRecordValue(text), true);
  return StoredRecord{chosen, status};
}

_NcItemData* AppendLoadedRecord(ObjectList<_NcItemData>& records, const String& key,
                                const Json& doc, const String& deviceId) {
  _NcItemData* record =
      AppendRecord(records, doc.PropertyStr(u"data", u""), doc.PropertyBool(u"selected", false),
                   doc.PropertyBool(u"uploaded", false), deviceId);
  if (record) record->key = key;
  return record;
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

DbStatus SetRecordsSelected(RecordDb& db, const std::vector<String>& keys, bool selected) {
  return SetFlags(db, keys, u"selected", selected);
}

DbStatus SetRecordsUploaded(RecordDb& db, const std::vector<String>& keys) {
  return SetFlags(db, keys, u"uploaded", true);
}

DbStatus DeleteSelectedRecords(ObjectList<_NcItemData>& records, RecordDb& db, uint32_t& removed) {
  removed = 0;
  RecordDb::Batch batch;
  for (uint32_t i = records.Count(); i-- > 0;) {
    if (records[i].selected) batch.Delete(records[i].key);
  }
  if (!batch.IsEmpty()) {
    DbStatus status = db.Write(batch, true);
    if (!status) return status;  // nothing leaves the list that is still stored
  }
  removed = records.RemoveIf([](const _NcItemData& r) { return r.selected; });
  return DbStatus{true, String(u"")};
}

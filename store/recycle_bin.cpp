#include "store/recycle_bin.h"

#include <chrono>
#include <cstdio>

namespace {

// Entries are "e" + record key + 0xFF + a 20-digit stamp (GBK keys never
// hold 0xFF), so a key deleted twice keeps both entries; the value is the
// deletion time, a line end and the record's stored bytes. Marks of moves
// under way are "m" + the entry's key, holding "d" (into the bin) or "r" (out).
constexpr char kEntry = 'e';
constexpr char kMark = 'm';
constexpr char kKeyEnd = '\xFF';
constexpr char kMovingIn[] = "d";
constexpr char kMovingOut[] = "r";

const DbStatus kOk{true, String(u"")};

std::string Stamp() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  char digits[32];
  std::snprintf(
      digits, sizeof digits, "%020lld",
      static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
  return digits;
}

bool IsEntryId(const std::string& id) {
  return id.size() > 2 && id[0] == kEntry && id.rfind(kKeyEnd) != std::string::npos;
}

std::string RecordKeyOf(const std::string& id) { return id.substr(1, id.rfind(kKeyEnd) - 1); }

// Splits an entry's value into its deletion time and the record's bytes.
bool ReadEntry(const std::string& id, const std::string& stored, RecycleBin::Entry& entry) {
  const size_t lineEnd = stored.find('\n');
  if (!IsEntryId(id) || lineEnd == std::string::npos) return false;
  entry.id = id;
  entry.key = RecordKeyOf(id);
  entry.deleted = String::FromBytes(stored.substr(0, lineEnd), cp::kUtf8);
  entry.value = stored.substr(lineEnd + 1);
  return true;
}

}  // namespace

bool IsNotFound(const DbStatus& status) {
  return !status.ok && status.text.ToBytes(cp::kUtf8).rfind("NotFound", 0) == 0;
}

RecycleBin::RecycleBin(RecordDb& records, const std::string& folder, bool createIfMissing)
    : records_(records), bin_(folder, createIfMissing) {}

DbStatus RecycleBin::MoveIn(const std::vector<std::string>& keys, const String& deleted,
                            uint32_t& moved) {
  std::vector<Leaving> records;
  for (const std::string& key : keys) records.push_back({key, std::string()});
  return MoveIn(records, deleted, moved);
}

DbStatus RecycleBin::MoveIn(std::vector<Leaving>& records, const String& deleted,
                            uint32_t& moved) {
  moved = 0;
  const std::string stamp = Stamp();
  const std::string header = deleted.ToBytes(cp::kUtf8) + "\n";
  RecordDb::Batch note;
  RecordDb::Batch drop;
  RecordDb::Batch done;
  std::vector<std::string> ids;
  std::string id;
  std::string entry;
  for (Leaving& record : records) {
    if (record.value.empty()) {
      const DbStatus read = records_.GetBytes(record.key, record.value);
      if (IsNotFound(read)) continue;
      if (!read) return read;
    }
    id.assign(1, kEntry).append(record.key).append(1, kKeyEnd).append(stamp);
    entry.assign(header).append(record.value);
    note.PutBytes(id, entry);
    note.PutBytes(kMark + id, kMovingIn);
    drop.DeleteBytes(record.key);
    done.DeleteBytes(kMark + id);
    ids.push_back(id);
  }
  if (ids.empty()) return kOk;
  DbStatus status = bin_.Write(note, true);
  if (!status) return status;
  status = records_.Write(drop, true);
  if (!status) {
    // The records are all still stored: the bin lets go of its copies.
    RecordDb::Batch undo;
    for (const std::string& id : ids) {
      undo.DeleteBytes(id);
      undo.DeleteBytes(kMark + id);
    }
    (void)bin_.Write(undo, true);
    return status;
  }
  moved = static_cast<uint32_t>(ids.size());
  // Not forced to disk: should a crash lose it, the marks name records the
  // record database no longer holds, and the next start just drops them.
  (void)bin_.Write(done, false);
  return kOk;
}

DbStatus RecycleBin::MoveOut(const std::vector<std::string>& ids, std::vector<Entry>& restored,
                             std::vector<std::string>* clashes) {
  restored.clear();
  RecordDb::Batch note;
  RecordDb::Batch put;
  RecordDb::Batch done;
  std::string stored;
  std::string current;
  std::vector<Entry> entries;
  for (const std::string& id : ids) {
    const DbStatus read = bin_.GetBytes(id, stored);
    if (IsNotFound(read)) continue;
    if (!read) return read;
    Entry entry;
    if (!ReadEntry(id, stored, entry)) continue;
    const DbStatus held = records_.GetBytes(entry.key, current);
    if (held) {
      if (clashes) clashes->push_back(id);
      continue;
    }
    if (!IsNotFound(held)) return held;
    note.PutBytes(kMark + id, kMovingOut);
    put.PutBytes(entry.key, entry.value);
    done.DeleteBytes(id);
    done.DeleteBytes(kMark + id);
    entries.push_back(std::move(entry));
  }
  if (entries.empty()) return kOk;
  DbStatus status = bin_.Write(note, true);
  if (!status) return status;
  status = records_.Write(put, true);
  if (!status) {
    RecordDb::Batch undo;
    for (const Entry& entry : entries) undo.DeleteBytes(kMark + entry.id);
    (void)bin_.Write(undo, true);
    return status;
  }
  restored = std::move(entries);
  // Should this fail, the marks finish the move at the next start.
  (void)bin_.Write(done, true);
  return kOk;
}

DbStatus RecycleBin::Purge(const std::vector<std::string>& ids) {
  RecordDb::Batch drop;
  for (const std::string& id : ids) {
    if (IsEntryId(id)) drop.DeleteBytes(id);
  }
  if (drop.IsEmpty()) return kOk;
  return bin_.Write(drop, true);
}

std::vector<RecycleBin::Entry> RecycleBin::Entries(DbStatus* status) {
  std::vector<Entry> entries;
  bin_.ForEachRaw(
      [&](const char* key, size_t keyLength, const char* value, size_t valueLength) {
        Entry entry;
        if (keyLength == 0 || key[0] != kEntry) return;
        if (ReadEntry(std::string(key, keyLength), std::string(value, valueLength), entry))
          entries.push_back(std::move(entry));
      },
      status);
  return entries;
}

std::vector<std::string> RecycleBin::DeletedBefore(const String& time) {
  const std::string limit = time.ToBytes(cp::kUtf8);
  std::vector<std::string> ids;
  bin_.ForEachRaw([&](const char* key, size_t keyLength, const char* value, size_t valueLength) {
    if (keyLength == 0 || key[0] != kEntry) return;
    const size_t lineEnd = std::string_view(value, valueLength).find('\n');
    if (lineEnd == std::string::npos) return;
    if (std::string_view(value, lineEnd) < limit) ids.emplace_back(key, keyLength);
  });
  return ids;
}

size_t RecycleBin::Count() {
  size_t count = 0;
  bin_.ForEachRaw([&](const char* key, size_t keyLength, const char*, size_t) {
    if (keyLength > 0 && key[0] == kEntry) ++count;
  });
  return count;
}

DbStatus RecycleBin::FinishInterrupted(uint32_t* finished) {
  if (finished) *finished = 0;
  std::vector<std::pair<std::string, std::string>> marks;
  DbStatus walked;
  bin_.ForEachRaw(
      [&](const char* key, size_t keyLength, const char* value, size_t valueLength) {
        if (keyLength > 1 && key[0] == kMark)
          marks.emplace_back(std::string(key + 1, keyLength - 1), std::string(value, valueLength));
      },
      &walked);
  if (!walked) return walked;
  if (marks.empty()) return kOk;
  RecordDb::Batch records;
  RecordDb::Batch bin;
  std::string stored;
  std::string current;
  uint32_t count = 0;
  for (const auto& [id, direction] : marks) {
    bin.DeleteBytes(kMark + id);
    Entry entry;
    const DbStatus read = bin_.GetBytes(id, stored);
    if (!read && !IsNotFound(read)) return read;
    if (!read || !ReadEntry(id, stored, entry)) continue;  // nothing left to move
    const DbStatus held = records_.GetBytes(entry.key, current);
    if (!held && !IsNotFound(held)) return held;
    if (direction == kMovingIn) {
      // The delete goes through when the record database still holds this
      // very record; a different one under the key is another record.
      if (held && current == entry.value) {
        records.DeleteBytes(entry.key);
        ++count;
      }
    } else {
      if (!held) {
        records.PutBytes(entry.key, entry.value);
        ++count;
      }
      bin.DeleteBytes(id);
    }
  }
  if (!records.IsEmpty()) {
    const DbStatus status = records_.Write(records, true);
    if (!status) return status;
  }
  if (finished) *finished = count;
  return bin_.Write(bin, true);
}

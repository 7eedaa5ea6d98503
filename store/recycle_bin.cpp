#include "store/recycle_bin.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <unordered_set>

namespace {

bool Missing(const DbStatus& status) {
  return !status.ok && status.text.ToBytes(cp::kUtf8).rfind("NotFound", 0) == 0;
}

// The records of one delete are kept together, in groups of up to
// kGroupSize: "g" + a 20-digit stamp -> the deletion time, a line end, and
// per record "<key length> <value length>\n", the key and its stored bytes.
// A group is one entry to write, however many records it holds. An entry
// id (for the window and the tools) is the group's key, 0xFF (never in a GBK
// key) and the record's key.
// Moves under way are marked: "m" + the group's key -> "d" (the group's
// records are going into the bin), and "r" + a stamp -> the ids going out,
// each as "<length>\n" + id.
constexpr char kGroup = 'g';
constexpr char kMarkIn = 'm';
constexpr char kMarkOut = 'r';
constexpr char kIdEnd = '\xFF';
constexpr size_t kGroupSize = 2000;

const DbStatus kOk{true, String(u"")};

std::string Stamp(uint64_t offset = 0) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  char digits[32];
  std::snprintf(digits, sizeof digits, "%020llu",
                static_cast<unsigned long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(now).count()) +
                    static_cast<unsigned long long>(offset));
  return digits;
}

// A stamp for the groups of a new move that no group in the bin has yet
// (should the clock have gone back).
std::string FreshStamp(RecordDb& bin) {
  std::string value;
  for (uint64_t offset = 0;; ++offset) {
    const std::string stamp = Stamp(offset);
    if (Missing(bin.GetBytes(kGroup + stamp + "-0000", value))) return stamp;
  }
}

struct Group {
  std::string deleted;                                       // the header line's time
  std::vector<std::pair<std::string, std::string>> records;  // key, stored bytes
};

void AppendRecord(std::string& group, const std::string& key, const std::string& value) {
  group += std::to_string(key.size());
  group += ' ';
  group += std::to_string(value.size());
  group += '\n';
  group += key;
  group += value;
}

std::string MakeGroup(const std::string& deleted, const Group& group) {
  std::string bytes = deleted + "\n";
  for (const auto& [key, value] : group.records) AppendRecord(bytes, key, value);
  return bytes;
}

bool ReadGroup(const char* bytes, size_t length, Group& group) {
  const std::string_view all(bytes, length);
  size_t at = all.find('\n');
  if (at == std::string_view::npos) return false;
  group.deleted.assign(all.substr(0, at));
  group.records.clear();
  ++at;
  while (at < all.size()) {
    const size_t lineEnd = all.find('\n', at);
    if (lineEnd == std::string_view::npos) return false;
    unsigned long long keyLength = 0, valueLength = 0;
    const std::string line(all.substr(at, lineEnd - at));
    if (std::sscanf(line.c_str(), "%llu %llu", &keyLength, &valueLength) != 2) return false;
    at = lineEnd + 1;
    if (keyLength > all.size() - at || valueLength > all.size() - at - keyLength) return false;
    group.records.emplace_back(std::string(all.substr(at, keyLength)),
                               std::string(all.substr(at + keyLength, valueLength)));
    at += keyLength + valueLength;
  }
  return true;
}

// Visits every group of the bin.
void ForEachGroup(RecordDb& bin,
                  const std::function<void(const std::string& key, const Group& group)>& visit,
                  DbStatus* status = nullptr) {
  Group group;
  bin.ForEachRaw(
      [&](const char* key, size_t keyLength, const char* value, size_t valueLength) {
        if (keyLength == 0 || key[0] != kGroup) return;
        if (ReadGroup(value, valueLength, group)) visit(std::string(key, keyLength), group);
      },
      status);
}

std::string IdOf(const std::string& group, const std::string& key) { return group + kIdEnd + key; }

// The group key and the record key of an id; false for no id of ours.
bool SplitId(const std::string& id, std::string& group, std::string& key) {
  const size_t end = id.find(kIdEnd);
  if (id.empty() || id[0] != kGroup || end == std::string::npos) return false;
  group = id.substr(0, end);
  key = id.substr(end + 1);
  return true;
}

std::string ListIds(const std::vector<std::string>& ids) {
  std::string list;
  for (const std::string& id : ids) list += std::to_string(id.size()) + "\n" + id;
  return list;
}

std::vector<std::string> ReadIds(const std::string& list) {
  std::vector<std::string> ids;
  size_t at = 0;
  while (at < list.size()) {
    const size_t lineEnd = list.find('\n', at);
    if (lineEnd == std::string::npos) break;
    const size_t length = std::strtoull(list.substr(at, lineEnd - at).c_str(), nullptr, 10);
    at = lineEnd + 1;
    if (length > list.size() - at) break;
    ids.push_back(list.substr(at, length));
    at += length;
  }
  return ids;
}

}  // namespace

bool IsNotFound(const DbStatus& status) { return Missing(status); }

RecycleBin::RecycleBin(RecordDb& records, const std::string& folder, bool createIfMissing)
    : records_(records), bin_(folder, createIfMissing) {}

DbStatus RecycleBin::MoveIn(const std::vector<std::string>& keys, const String& deleted,
                            uint32_t& moved) {
  std::vector<Leaving> records;
  for (const std::string& key : keys) records.push_back({key, std::string()});
  return MoveIn(records, deleted, moved);
}

DbStatus RecycleBin::MoveIn(std::vector<Leaving>& records, const String& deleted, uint32_t& moved) {
  moved = 0;
  const std::string time = deleted.ToBytes(cp::kUtf8);
  RecordDb::Batch note;
  RecordDb::Batch drop;
  RecordDb::Batch done;
  std::string group;
  std::vector<std::string> groupKeys;
  uint32_t count = 0;
  uint32_t inGroup = 0;
  const std::string stamp = FreshStamp(bin_);
  auto close = [&] {
    if (inGroup == 0) return;
    note.PutBytes(groupKeys.back(), group);
    note.PutBytes(kMarkIn + groupKeys.back(), "d");
    done.DeleteBytes(kMarkIn + groupKeys.back());
    inGroup = 0;
  };
  for (Leaving& record : records) {
    if (record.value.empty()) {
      const DbStatus read = records_.GetBytes(record.key, record.value);
      if (IsNotFound(read)) continue;
      if (!read) return read;
    }
    if (inGroup == 0) {
      char number[16];
      std::snprintf(number, sizeof number, "-%04zu", groupKeys.size());
      groupKeys.push_back(kGroup + stamp + number);
      group = time + "\n";
    }
    AppendRecord(group, record.key, record.value);
    drop.DeleteBytes(record.key);
    ++count;
    if (++inGroup == kGroupSize) close();
  }
  close();
  if (count == 0) return kOk;
  DbStatus status = bin_.Write(note, true);
  if (!status) return status;
  Stepped(1);
  status = records_.Write(drop, true);
  if (!status) {
    // The records are all still stored: the bin lets go of its copies.
    RecordDb::Batch undo;
    for (const std::string& key : groupKeys) {
      undo.DeleteBytes(key);
      undo.DeleteBytes(kMarkIn + key);
    }
    (void)bin_.Write(undo, true);
    return status;
  }
  moved = count;
  Stepped(2);
  // Not forced to disk: should a crash lose it, the marks name records the
  // record database no longer holds, and the next start just drops them.
  (void)bin_.Write(done, false);
  Stepped(3);
  return kOk;
}

namespace {

// Takes the records `leaving` (group key -> record keys) out of their groups
// in `batch` (a group left empty goes); `taken`, when given, gets them.
DbStatus Rewrite(RecordDb& bin, const std::map<std::string, std::vector<std::string>>& leaving,
                 RecordDb::Batch& batch, std::vector<RecycleBin::Entry>* taken) {
  std::string stored;
  for (const auto& [groupKey, keys] : leaving) {
    const DbStatus read = bin.GetBytes(groupKey, stored);
    if (Missing(read)) continue;
    if (!read) return read;
    Group group;
    if (!ReadGroup(stored.data(), stored.size(), group)) continue;
    Group kept;
    const std::unordered_set<std::string> going(keys.begin(), keys.end());
    for (auto& record : group.records) {
      if (going.count(record.first) == 0) {
        kept.records.push_back(std::move(record));
      } else if (taken) {
        taken->push_back({IdOf(groupKey, record.first), record.first, std::move(record.second),
                          String::FromBytes(group.deleted, cp::kUtf8)});
      }
    }
    if (kept.records.empty()) {
      batch.DeleteBytes(groupKey);
    } else if (kept.records.size() != group.records.size()) {
      batch.PutBytes(groupKey, MakeGroup(group.deleted, kept));
    }
  }
  return kOk;
}

}  // namespace

DbStatus RecycleBin::MoveOut(const std::vector<std::string>& ids, std::vector<Entry>& restored,
                             std::vector<std::string>* clashes) {
  restored.clear();
  // The entries asked for, read from their groups.
  std::map<std::string, std::vector<std::string>> asked;
  std::string groupKey, key;
  for (const std::string& id : ids) {
    if (SplitId(id, groupKey, key)) asked[groupKey].push_back(key);
  }
  RecordDb::Batch unchanged;
  std::vector<Entry> entries;
  DbStatus status = Rewrite(bin_, asked, unchanged, &entries);
  if (!status) return status;
  // Those whose key holds a record again stay in the bin.
  std::vector<Entry> going;
  std::string current;
  for (Entry& entry : entries) {
    const DbStatus held = records_.GetBytes(entry.key, current);
    if (held) {
      if (clashes) clashes->push_back(entry.id);
      continue;
    }
    if (!IsNotFound(held)) return held;
    going.push_back(std::move(entry));
  }
  if (going.empty()) return kOk;
  std::vector<std::string> goingIds;
  std::map<std::string, std::vector<std::string>> leaving;
  RecordDb::Batch put;
  for (const Entry& entry : going) {
    goingIds.push_back(entry.id);
    SplitId(entry.id, groupKey, key);
    leaving[groupKey].push_back(key);
    put.PutBytes(entry.key, entry.value);
  }
  const std::string mark = kMarkOut + Stamp();
  RecordDb::Batch note;
  note.PutBytes(mark, ListIds(goingIds));
  status = bin_.Write(note, true);
  if (!status) return status;
  Stepped(1);
  status = records_.Write(put, true);
  if (!status) {
    RecordDb::Batch undo;
    undo.DeleteBytes(mark);
    (void)bin_.Write(undo, true);
    return status;
  }
  restored = std::move(going);
  Stepped(2);
  // Should this fail, the mark finishes the move at the next start.
  RecordDb::Batch done;
  if (Rewrite(bin_, leaving, done, nullptr)) {
    done.DeleteBytes(mark);
    (void)bin_.Write(done, true);
  }
  Stepped(3);
  return kOk;
}

DbStatus RecycleBin::Purge(const std::vector<std::string>& ids) {
  std::map<std::string, std::vector<std::string>> leaving;
  std::string groupKey, key;
  for (const std::string& id : ids) {
    if (SplitId(id, groupKey, key)) leaving[groupKey].push_back(key);
  }
  RecordDb::Batch drop;
  const DbStatus status = Rewrite(bin_, leaving, drop, nullptr);
  if (!status) return status;
  if (drop.IsEmpty()) return kOk;
  return bin_.Write(drop, true);
}

std::vector<RecycleBin::Entry> RecycleBin::Entries(DbStatus* status) {
  std::vector<Entry> entries;
  ForEachGroup(
      bin_,
      [&](const std::string& groupKey, const Group& group) {
        const String deleted = String::FromBytes(group.deleted, cp::kUtf8);
        for (const auto& [key, value] : group.records)
          entries.push_back({IdOf(groupKey, key), key, value, deleted});
      },
      status);
  // In the order of the records' keys (their test times).
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.key < b.key; });
  return entries;
}

std::vector<std::string> RecycleBin::DeletedBefore(const String& time) {
  const std::string limit = time.ToBytes(cp::kUtf8);
  std::vector<std::string> ids;
  ForEachGroup(bin_, [&](const std::string& groupKey, const Group& group) {
    if (group.deleted >= limit) return;
    for (const auto& record : group.records) ids.push_back(IdOf(groupKey, record.first));
  });
  return ids;
}

std::string RecycleBin::KeyOf(const std::string& id) {
  std::string group, key;
  return SplitId(id, group, key) ? key : std::string();
}

size_t RecycleBin::RecordsIn(const char* key, size_t keyLength, const char* value,
                             size_t valueLength) {
  Group group;
  if (keyLength == 0 || key[0] != kGroup || !ReadGroup(value, valueLength, group)) return 0;
  return group.records.size();
}

size_t RecycleBin::Count() {
  size_t count = 0;
  ForEachGroup(bin_,
               [&](const std::string&, const Group& group) { count += group.records.size(); });
  return count;
}

DbStatus RecycleBin::FinishInterrupted(uint32_t* finished) {
  if (finished) *finished = 0;
  DbStatus walked;
  std::vector<std::pair<std::string, std::string>> marks;
  bin_.ForEachRaw(
      [&](const char* key, size_t keyLength, const char* value, size_t valueLength) {
        if (keyLength > 1 && (key[0] == kMarkIn || key[0] == kMarkOut))
          marks.emplace_back(std::string(key, keyLength), std::string(value, valueLength));
      },
      &walked);
  if (!walked) return walked;
  if (marks.empty()) return kOk;
  RecordDb::Batch records;
  RecordDb::Batch bin;
  std::map<std::string, std::vector<std::string>> leaving;
  std::string stored;
  std::string current;
  uint32_t count = 0;
  for (const auto& [mark, list] : marks) {
    bin.DeleteBytes(mark);
    if (mark[0] == kMarkIn) {
      // The delete goes through where the record database still holds the
      // very record; a different one under the key is another record.
      const DbStatus read = bin_.GetBytes(mark.substr(1), stored);
      if (!read && !IsNotFound(read)) return read;
      Group group;
      if (!read || !ReadGroup(stored.data(), stored.size(), group)) continue;
      for (const auto& [key, value] : group.records) {
        const DbStatus held = records_.GetBytes(key, current);
        if (!held && !IsNotFound(held)) return held;
        if (held && current == value) {
          records.DeleteBytes(key);
          ++count;
        }
      }
      continue;
    }
    // Going out: what is still in its group goes back where no record is.
    std::map<std::string, std::vector<std::string>> asked;
    std::string groupKey, key;
    for (const std::string& id : ReadIds(list)) {
      if (SplitId(id, groupKey, key)) asked[groupKey].push_back(key);
    }
    RecordDb::Batch unchanged;
    std::vector<Entry> entries;
    const DbStatus read = Rewrite(bin_, asked, unchanged, &entries);
    if (!read) return read;
    for (const Entry& entry : entries) {
      const DbStatus held = records_.GetBytes(entry.key, current);
      if (!held && !IsNotFound(held)) return held;
      if (!held) {
        records.PutBytes(entry.key, entry.value);
        ++count;
      }
      SplitId(entry.id, groupKey, key);
      leaving[groupKey].push_back(key);
    }
  }
  if (!records.IsEmpty()) {
    const DbStatus status = records_.Write(records, true);
    if (!status) return status;
  }
  const DbStatus rewritten = Rewrite(bin_, leaving, bin, nullptr);
  if (!rewritten) return rewritten;
  if (finished) *finished = count;
  return bin_.Write(bin, true);
}

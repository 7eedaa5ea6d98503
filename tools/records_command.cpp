#include "tools/records_command.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <unordered_set>

#include "app/file_locations.h"
#include "device/record_fields.h"
#include "store/operations_log.h"
#include "store/record_db.h"
#include "store/record_filter.h"
#include "store/record_store.h"
#include "tools/filter_options.h"
#include "tools/tool_input.h"

namespace {

std::string Utf8(const String& text) { return text.ToBytes(cp::kUtf8); }

// The stored keys of the records the filter accepts, as the window would
// show them.
std::unordered_set<std::string> MatchingKeys(RecordDb& db, const RecordFilter& filter,
                                             const String& deviceId, std::ostream& err) {
  NcItemList records;
  const DbStatus loaded = LoadRecordList(db, records, deviceId);
  if (!loaded) err << "residue-tool records: " << Utf8(loaded.text) << "\n";
  std::unordered_set<std::string> keys;
  for (const uint32_t index : FilterRecords(records, filter)) {
    keys.insert(StoredKeyBytes(records[index]));
  }
  return keys;
}

}  // namespace

int RunRecordsCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string folder;
  bool missing = false;
  bool json = false;
  TakeOption(args, "--storage", folder, missing);
  for (auto it = args.begin(); it != args.end();) {
    if (*it == "--json") {
      json = true;
      it = args.erase(it);
    } else {
      ++it;
    }
  }
  RecordFilter filter;
  std::string deviceId, problem;
  const bool filterRead = TakeFilter(args, filter, deviceId, problem);
  if (folder.empty()) folder = LocateFiles().storageFolder;  // the program's own database
  if (missing || !filterRead || !args.empty()) {
    if (!problem.empty()) err << "residue-tool records: " << problem << "\n";
    err << "usage: residue-tool records [--storage DIR] [--json] [--find TEXT] [--from "
           "YYYY-MM-DD]\n"
           "         [--to YYYY-MM-DD] [--result 合格|不合格] [--uploaded yes|no] [--device-id "
           "ID]\n";
    return 2;
  }
  RecordDb db(folder, false);
  if (!db.IsOpen()) {
    err << "residue-tool records: " << Utf8(db.OpenStatus().text) << "\n";
    return 2;
  }
  // With a filter, the records the record page would show with it, in stored order.
  std::unordered_set<std::string> matching;
  if (!filter.IsEmpty()) {
    matching = MatchingKeys(db, filter, String::FromBytes(deviceId, cp::kUtf8), err);
  }
  uint32_t printed = 0, skipped = 0;
  const uint32_t visited = db.ForEach([&](String& key, Json& doc) {
    if (!filter.IsEmpty() && !matching.count(key.ToBytes(cp::kGbk))) {
      ++skipped;
      return false;
    }
    ++printed;
    out << Utf8(key) << '\t' << (doc.PropertyBool(u"selected", false) ? 1 : 0) << '\t'
        << (doc.PropertyBool(u"uploaded", false) ? 1 : 0);
    if (json) {
      out << '\t' << Utf8(doc.ToText(false));
    } else {
      ObjectList<String> fields;
      SplitRecordFields(doc.PropertyStr(u"data", u""), fields);
      for (uint32_t i = 0; i < fields.Count() && i < kRecordFieldCount; ++i) {
        out << '\t' << Utf8(fields[i]);
      }
    }
    out << '\n';
    return false;
  });
  if (visited != printed + skipped) {
    err << "residue-tool records: " << visited - printed - skipped
        << " stored values are not JSON\n";
  }
  return 0;
}

int RunRepairCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string folder;
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  if (folder.empty()) folder = LocateFiles().storageFolder;
  if (missing || !args.empty()) {
    err << "usage: residue-tool repair [--storage DIR]\n";
    return 2;
  }
  std::string backup;
  const DbStatus repaired = RecordDb::Repair(folder, backup);
  if (!repaired) {
    err << "residue-tool repair: " << Utf8(repaired.text) << "\n";
    return 1;
  }
  RecordDb db(folder, false);
  if (!db.IsOpen()) {
    err << "residue-tool repair: " << Utf8(db.OpenStatus().text) << "\n";
    return 1;
  }
  const uint32_t records = db.ForEach([](String&, Json&) { return false; });
  (void)LogOperationOf(
      folder, "修复",
      "修复数据库，找回 " + std::to_string(records) + " 条记录，修复前的文件夹保存在 " + backup);
  out << "backup " << backup << "\nrecords " << records << "\n";
  return 0;
}

namespace {

// A key as a person can read it: printable ASCII as it is, other bytes as \xNN.
std::string ShownKey(const std::string& key) {
  std::string shown;
  for (const unsigned char c : key) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    }
  }
  return shown.empty() ? "(empty key)" : shown;
}

}  // namespace

int RunCheckCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string folder;
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  const auto fix = std::find(args.begin(), args.end(), "--fix");
  const bool fixing = fix != args.end();
  if (fixing) args.erase(fix);
  if (folder.empty()) folder = LocateFiles().storageFolder;
  if (missing || !args.empty()) {
    err << "usage: residue-tool check [--storage DIR] [--fix]\n";
    return 2;
  }
  std::vector<std::string> hidden;
  {
    RecordDb db(folder, false);
    if (!db.IsOpen()) {
      err << "residue-tool check: " << Utf8(db.OpenStatus().text) << "\n";
      return 2;
    }
    DbStatus walked;
    db.ForEachRaw(
        [&](const char* key, size_t keyLength, const char* value, size_t length) {
          const char* why = "";
          if (IsListedValue(value, length, &why)) return;
          hidden.emplace_back(key, keyLength);
          out << ShownKey(hidden.back()) << "\t" << why << "\n";
        },
        &walked);
    if (!walked) err << "residue-tool check: " << Utf8(walked.text) << "\n";
  }
  out << hidden.size() << " stored entries the record list cannot show\n";
  if (hidden.empty()) return 0;
  if (!fixing) return 1;
  std::string backup;
  const DbStatus copied = RecordDb::KeepCopy(folder, backup);
  if (!copied) {
    err << "residue-tool check: " << Utf8(copied.text) << "\n";
    return 1;
  }
  RecordDb db(folder, false);
  RecordDb::Batch batch;
  for (const std::string& key : hidden) batch.DeleteBytes(key);
  const DbStatus removed = db.Write(batch, true);
  if (!removed) {
    err << "residue-tool check: " << Utf8(removed.text) << "\n";
    return 1;
  }
  (void)LogOperationOf(
      folder, "修复",
      "删除 " + std::to_string(hidden.size()) + " 个不能显示的条目，之前的文件夹保存在 " + backup);
  out << "backup " << backup << "\nremoved " << hidden.size() << "\n";
  return 0;
}

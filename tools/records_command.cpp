#include "tools/records_command.h"

#include <iostream>

#include "app/file_locations.h"
#include "device/record_fields.h"
#include "store/record_db.h"
#include "tools/tool_input.h"

namespace {

std::string Utf8(const String& text) { return text.ToBytes(cp::kUtf8); }

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
  if (folder.empty()) folder = LocateFiles().storageFolder;  // the program's own database
  if (missing || !args.empty()) {
    err << "usage: residue-tool records [--storage DIR] [--json]\n";
    return 2;
  }
  RecordDb db(folder, false);
  if (!db.IsOpen()) {
    err << "residue-tool records: " << Utf8(db.OpenStatus().text) << "\n";
    return 2;
  }
  uint32_t printed = 0;
  const uint32_t visited = db.ForEach([&](String& key, Json& doc) {
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
  if (visited != printed) {
    err << "residue-tool records: " << visited - printed << " stored values are not JSON\n";
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
  out << "backup " << backup << "\nrecords " << records << "\n";
  return 0;
}

#include "tools/record_commands.h"

#include <iostream>

#include "device/record_hash.h"
#include "store/nc_item_data.h"
#include "tools/tool_input.h"

namespace {

// Reads the device ID option and the record text; false (after a message) on bad arguments.
bool ReadArguments(const char* command, std::vector<std::string>& args, std::istream& in,
                   String& deviceId, String& text, std::ostream& err) {
  std::string id, problem;
  if (!TakeDeviceId(args, id, problem)) {
    err << "residue-tool " << command << ": " << problem << "\n";
    return false;
  }
  if (!args.empty()) {
    err << "usage: residue-tool " << command << " [--device-id ID] < RECORD\n";
    return false;
  }
  std::string bytes;
  if (!ReadInput("-", in, bytes)) {
    err << "residue-tool " << command << ": cannot read standard input\n";
    return false;
  }
  deviceId = String::FromBytes(id, cp::kUtf8);
  text = String::FromBytes(bytes, cp::kGbk);
  return true;
}

}  // namespace

int RunHashCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
  String deviceId, text;
  if (!ReadArguments("hash", args, in, deviceId, text, err)) return 2;
  out << ComputeRecordHash(text, deviceId).ToBytes(cp::kUtf8) << '\n';
  return 0;
}

int RunRecordCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
  String deviceId, text;
  if (!ReadArguments("record", args, in, deviceId, text, err)) return 2;
  NcItemList records;
  const _NcItemData* record = records.Append(RecordTestTime(text), text, false, false, deviceId);
  if (!record) {
    err << "not a record\n";
    return 1;
  }
  out << record->Uid().ToBytes(cp::kUtf8) << '\n';
  const RecordColumns columns = record->Columns();
  for (const String& cell : columns.cell) out << cell.ToBytes(cp::kUtf8) << '\n';
  return 0;
}

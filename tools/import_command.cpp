#include "tools/import_command.h"

#include <iostream>

#include "app/file_locations.h"
#include "device/frame_decoder.h"
#include "store/record_store.h"
#include "tools/tool_input.h"

int RunImportCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
  std::string folder, namesPath, deviceId, problem;
  if (!TakeDeviceId(args, deviceId, problem)) {
    err << "residue-tool import: " << problem << "\n";
    return 2;
  }
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  TakeOption(args, "--names", namesPath, missing);
  if (folder.empty()) folder = LocateFiles().storageFolder;  // the program's own database
  if (missing || args.size() != 1) {
    err << "usage: residue-tool import [--storage DIR] [--device-id ID] FILE|- [--names FILE]\n";
    return 2;
  }
  ProductNames names;
  if (!namesPath.empty() && !LoadProductNamesFile(namesPath, names, problem)) {
    err << "residue-tool import: " << problem << "\n";
    return 2;
  }
  std::string capture;
  std::string why;
  if (!ReadInput(args[0], in, capture, &why)) {
    err << "residue-tool import: cannot read '" << args[0] << "'" << (why.empty() ? "" : ": " + why)
        << "\n";
    return 2;
  }
  RecordDb db(folder);
  if (!db.IsOpen()) {
    err << "residue-tool import: " << db.OpenStatus().text.ToBytes(cp::kUtf8) << "\n";
    return 2;
  }
  int failures = 0;
  FrameDecoder decoder;
  const String id = String::FromBytes(deviceId, cp::kUtf8);
  decoder.SetRecordCallback([&](std::string& key, std::string& text) {
    const String data = String::FromBytes(text, cp::kAnsi);
    if (!IsRecordText(data)) return;
    const StoredRecord stored =
        StoreReceivedRecord(db, String::FromBytes(key, cp::kAnsi), data, true, id);
    if (!stored.status) {
      ++failures;
      err << "residue-tool import: " << stored.status.text.ToBytes(cp::kUtf8) << "\n";
      return;
    }
    if (stored.duplicate) {
      err << "residue-tool import: " << stored.key.ToBytes(cp::kUtf8)
          << " is stored already (the same test sent again), skipped\n";
      return;
    }
    out << stored.key.ToBytes(cp::kUtf8) << "\n";
  });
  decoder.Replay(reinterpret_cast<const uint8_t*>(capture.data()), capture.size(), names);
  if (decoder.DroppedFrames() > 0)
    err << "residue-tool import: dropped " << decoder.DroppedFrames() << " incomplete frame(s)\n";
  return failures ? 1 : 0;
}

#include "tools/import_command.h"

#include <iostream>

#include "app/file_locations.h"
#include "device/frame_decoder.h"
#include "store/record_store.h"
#include "tools/tool_input.h"

int RunImportCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
  std::string folder, namesPath;
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  TakeOption(args, "--names", namesPath, missing);
  if (folder.empty()) folder = LocateFiles().storageFolder;  // the program's own database
  if (missing || args.size() != 1) {
    err << "usage: residue-tool import [--storage DIR] FILE|- [--names FILE]\n";
    return 2;
  }
  ProductNames names;
  std::string problem;
  if (!namesPath.empty() && !LoadProductNamesFile(namesPath, names, problem)) {
    err << "residue-tool import: " << problem << "\n";
    return 2;
  }
  std::string capture;
  if (!ReadInput(args[0], in, capture)) {
    err << "residue-tool import: cannot read '" << args[0] << "'\n";
    return 2;
  }
  RecordDb db(folder);
  if (!db.IsOpen()) {
    err << "residue-tool import: " << db.OpenStatus().text.ToBytes(cp::kUtf8) << "\n";
    return 2;
  }
  int failures = 0;
  FrameDecoder decoder;
  decoder.SetRecordCallback([&](std::string& key, std::string& text) {
    const StoredRecord stored = StoreReceivedRecord(db, String::FromBytes(key, cp::kAnsi),
                                                    String::FromBytes(text, cp::kAnsi));
    if (!stored.status) {
      ++failures;
      err << "residue-tool import: " << stored.status.text.ToBytes(cp::kUtf8) << "\n";
      return;
    }
    out << stored.key.ToBytes(cp::kUtf8) << "\n";
  });
  decoder.PushBytes(reinterpret_cast<const uint8_t*>(capture.data()), capture.size(), names);
  return failures ? 1 : 0;
}

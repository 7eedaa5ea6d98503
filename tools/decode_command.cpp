#include "tools/decode_command.h"

#include <iostream>
#include <sstream>

#include "device/frame_decoder.h"
#include "device/product_names.h"
#include "device/record_fields.h"
#include "tools/tool_input.h"

namespace {

constexpr int kUsageError = 2;

// Loads up to 20 UTF-8 lines as the product names of channels 1 to 20.
bool LoadNames(const std::string& bytes, ProductNames& names, std::string& problem) {
  std::istringstream lines(bytes);
  std::string line;
  int index = 0;
  while (std::getline(lines, line)) {
    if (index == ProductNames::kChannels) {
      problem = "more than 20 lines";
      return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    names.Set(index++, String::FromBytes(line, cp::kUtf8));
  }
  return true;
}

std::string Utf8(const String& text) { return text.ToBytes(cp::kUtf8); }

}  // namespace

int RunDecodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
  std::string capturePath;
  std::string namesPath;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--names" && i + 1 < args.size()) {
      namesPath = args[++i];
    } else if (capturePath.empty() && (args[i] == "-" || args[i].rfind("--", 0) != 0)) {
      capturePath = args[i];
    } else {
      err << "residue-tool decode: unexpected argument '" << args[i] << "'\n"
          << "usage: residue-tool decode FILE|- [--names FILE]\n";
      return kUsageError;
    }
  }
  if (capturePath.empty()) {
    err << "usage: residue-tool decode FILE|- [--names FILE]\n";
    return kUsageError;
  }

  ProductNames names;
  if (!namesPath.empty()) {
    std::string bytes;
    std::string problem;
    if (namesPath == "-" || !ReadInput(namesPath, in, bytes)) {
      err << "residue-tool decode: cannot read names file '" << namesPath << "'\n";
      return kUsageError;
    }
    if (!LoadNames(bytes, names, problem)) {
      err << "residue-tool decode: names file '" << namesPath << "': " << problem << "\n";
      return kUsageError;
    }
  }

  std::string capture;
  if (!ReadInput(capturePath, in, capture)) {
    err << "residue-tool decode: cannot read '" << capturePath << "'\n";
    return kUsageError;
  }

  FrameDecoder decoder;
  decoder.SetRecordCallback([&](std::string& key, std::string& text) {
    String keyText = String::FromBytes(key, cp::kAnsi);
    ObjectList<String> fields;
    uint32_t count = SplitRecordFields(String::FromBytes(text, cp::kAnsi), fields);
    if (count < kRecordFieldCount) {
      err << "residue-tool decode: frame '" << Utf8(keyText) << "' has " << count
          << " fields, not a record\n";
      return;
    }
    out << Utf8(keyText);
    for (uint32_t i = 0; i < kRecordFieldCount; ++i) out << '\t' << Utf8(fields[i]);
    out << '\n';
  });
  decoder.PushBytes(reinterpret_cast<const uint8_t*>(capture.data()), capture.size(), names);
  return 0;
}

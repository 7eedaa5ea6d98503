#include "tools/decode_command.h"

#include <iostream>

#include "device/frame_decoder.h"
#include "device/product_names.h"
#include "device/record_fields.h"
#include "tools/tool_input.h"

namespace {

constexpr int kUsageError = 2;

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
    std::string problem;
    if (!LoadProductNamesFile(namesPath, names, problem)) {
      err << "residue-tool decode: " << problem << "\n";
      return kUsageError;
    }
  }

  std::string capture;
  std::string why;
  if (!ReadInput(capturePath, in, capture, &why)) {
    err << "residue-tool decode: cannot read '" << capturePath << "'"
        << (why.empty() ? "" : ": " + why) << "\n";
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
  // As a replay: a frame the capture ends inside counts as dropped too.
  decoder.Replay(reinterpret_cast<const uint8_t*>(capture.data()), capture.size(), names);
  const uint64_t dropped = decoder.DroppedFrames();
  if (dropped > 0) {
    err << "residue-tool decode: dropped " << dropped << " incomplete frame"
        << (dropped == 1 ? "" : "s") << " (a damaged frame, or bytes lost on the line)\n";
  }
  return 0;
}

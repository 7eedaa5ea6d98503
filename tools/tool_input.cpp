#include "tools/tool_input.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <sstream>
#include <vector>

#include "base/file_io.h"
#include "device/device_id.h"
#include "device/product_names.h"

bool ReadInput(const std::string& path, std::istream& in, std::string& bytes,
               std::string* problem) {
  if (path != "-") return ReadWholeFile(path, bytes, problem);
  return ReadWholeStream(in, bytes, problem);
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                bool& missingValue) {
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return false;
  if (it + 1 == args.end()) {
    missingValue = true;
    return false;
  }
  value = *(it + 1);
  args.erase(it, it + 2);
  return true;
}

bool LoadProductNamesFile(const std::string& path, ProductNames& names, std::string& problem) {
  std::string bytes;
  std::string why;
  if (!ReadWholeFile(path, bytes, &why)) {
    problem = "cannot read names file '" + path + "'" + (why.empty() ? "" : ": " + why);
    return false;
  }
  std::istringstream lines(bytes);
  std::string line;
  int index = 0;
  while (std::getline(lines, line)) {
    if (index == ProductNames::kChannels) {
      problem = "names file '" + path + "': more than 20 lines";
      return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    names.Set(index++, String::FromBytes(line, cp::kUtf8));
  }
  return true;
}

bool TakeDeviceId(std::vector<std::string>& args, std::string& id, std::string& problem) {
  bool missing = false;
  if (!TakeOption(args, "--device-id", id, missing)) {
    if (missing) problem = "--device-id lacks its value";
    return !missing;
  }
  String canonical = String::FromBytes(id, cp::kUtf8);
  if (!CanonicalDeviceId(canonical)) {
    problem = "--device-id " + id + ": " +
              String(DeviceIdCheckMessage(CheckDeviceId(canonical))).ToBytes(cp::kUtf8);
    return false;
  }
  id = canonical.ToBytes(cp::kUtf8);
  return true;
}

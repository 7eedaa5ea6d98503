#include "tools/tool_input.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <vector>

#include "base/file_io.h"

bool ReadInput(const std::string& path, std::istream& in, std::string& bytes) {
  if (path != "-") return ReadWholeFile(path, bytes);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
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

#include "tools/json_command.h"

#include <iostream>

#include "base/json.h"
#include "tools/tool_input.h"

int RunJsonCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err) {
  bool compact = false;
  for (const std::string& arg : args) {
    if (arg != "--compact") {
      err << "usage: residue-tool json [--compact] < DOCUMENT\n";
      return 2;
    }
    compact = true;
  }
  std::string bytes;
  if (!ReadInput("-", in, bytes)) {
    err << "residue-tool json: cannot read standard input\n";
    return 2;
  }
  Json doc;
  if (!doc.ParseMbs(bytes.data(), static_cast<int>(bytes.size()))) {
    err << "parse error\n";
    return 1;
  }
  out << doc.ToText(!compact).ToBytes(cp::kAnsi);
  return 0;
}

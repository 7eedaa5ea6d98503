#include "tools/verify_log_command.h"

#include <ostream>

#include "app/file_locations.h"
#include "store/operations_log.h"
#include "tools/tool_input.h"

int RunVerifyLogCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
  std::string folder;
  bool missing = false;
  TakeOption(args, "--storage", folder, missing);
  if (missing || !args.empty()) {
    err << "usage: residue-tool verify-log [--storage DIR]\n";
    return 2;
  }
  if (folder.empty()) folder = LocateFiles().storageFolder;
  const std::string path = OperationsLog::PathFor(folder);
  const LogVerdict verdict = VerifyOperationsLog(path);
  if (!verdict.ok) {
    out << "line " << verdict.line << ": " << verdict.problem << "\n";
    return 1;
  }
  out << "ok " << ReadOperationsLog(path).size() << " lines\n";
  return 0;
}

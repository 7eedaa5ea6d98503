// residue-tool: a command-line companion for support staff and integrators.
#include <iostream>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "tools/backup_commands.h"
#include "tools/decode_command.h"
#include "tools/import_command.h"
#include "tools/json_command.h"
#include "tools/outbox_command.h"
#include "tools/output_commands.h"
#include "tools/record_commands.h"
#include "tools/records_command.h"
#include "tools/verify_log_command.h"

namespace {

const char kUsage[] =
    "usage: residue-tool COMMAND ...\n"
    "commands:\n"
    "  decode FILE|- [--names FILE]   print the records of a detector capture\n"
    "  hash [--device-id ID]          print the record hash of the record text on stdin\n"
    "  record [--device-id ID]        print the uid and the 15 columns of that record\n"
    "  json [--compact]               rewrite the JSON document on stdin in the program's form\n"
    "  records [--storage DIR] [--json] [filter]  list the records stored in a database folder;\n"
    "          filter: --find TEXT --from YYYY-MM-DD --to YYYY-MM-DD --result 合格|不合格\n"
    "          --uploaded yes|no --device-id ID (the hash for a trace code in --find)\n"
    "  import [--storage DIR] [--device-id ID] FILE|- [--names FILE]  store the records of a "
    "capture\n"
    "  export [--storage DIR] --out FILE [--format text|csv|xlsx|pdf] [filter]\n"
    "          write the text export of every record, or the filtered records as CSV,\n"
    "          an Excel workbook or the results notice (PDF)\n"
    "  stats [--storage DIR] [--by day|month|product] [filter]  tested, passed, failed, rate\n"
    "  repair [--storage DIR]         keep a copy of the database folder, then repair it\n"
    "  check [--storage DIR] [--fix]  list stored entries the window cannot show; --fix keeps\n"
    "          a copy of the folder, then removes them\n"
    "  label --device-id ID [--settings FILE] --tspl OUT [--png OUT]  one record's label\n"
    "  outbox [--storage DIR]         the automatic upload's queue: count, oldest, refused\n"
    "  verify-log [--storage DIR]     check the operations log; names the first line changed,\n"
    "          removed or inserted\n"
    "  backup [--storage DIR] --to DIR  a dated backup of the records and the recycle bin\n"
    "          with a manifest (counts, test times, checksums)\n"
    "  verify-backup DIR              check a backup against its manifest\n"
    "  restore [--storage DIR] --from DIR  check a backup and put it in place of the\n"
    "          database; the current one is kept aside under a dated name\n";

}  // namespace

int main(int argc, char** argv) {
  UseBinaryStandardStreams();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "decode") return RunDecodeCommand(args, std::cin, std::cout, std::cerr);
  if (command == "hash") return RunHashCommand(args, std::cin, std::cout, std::cerr);
  if (command == "record") return RunRecordCommand(args, std::cin, std::cout, std::cerr);
  if (command == "json") return RunJsonCommand(args, std::cin, std::cout, std::cerr);
  if (command == "import") return RunImportCommand(args, std::cin, std::cout, std::cerr);
  if (command == "export") return RunExportCommand(args, std::cout, std::cerr);
  if (command == "label") return RunLabelCommand(args, std::cin, std::cout, std::cerr);
  if (command == "records") return RunRecordsCommand(args, std::cout, std::cerr);
  if (command == "stats") return RunStatsCommand(args, std::cout, std::cerr);
  if (command == "repair") return RunRepairCommand(args, std::cout, std::cerr);
  if (command == "check") return RunCheckCommand(args, std::cout, std::cerr);
  if (command == "outbox") return RunOutboxCommand(args, std::cout, std::cerr);
  if (command == "verify-log") return RunVerifyLogCommand(args, std::cout, std::cerr);
  if (command == "backup") return RunBackupCommand(args, std::cout, std::cerr);
  if (command == "verify-backup") return RunVerifyBackupCommand(args, std::cout, std::cerr);
  if (command == "restore") return RunRestoreCommand(args, std::cout, std::cerr);
  std::cerr << "residue-tool: unknown command '" << command << "'\n" << kUsage;
  return 2;
}

#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool records --storage DIR [--json]`: prints every stored record in
// key order, one line each: the key, "selected" and "uploaded" as 0 or 1, then
// the 15 trimmed fields (or, with --json, the stored value text), tab-separated,
// in UTF-8. Writes nothing to the database. Status 2 with leveldb's text when
// the database cannot be opened (for example while the program has it open).
int RunRecordsCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

// `residue-tool repair [--storage DIR]`: copies the database folder to
// "<folder>.backup-<time>", rebuilds the database from what its files hold and
// prints "backup <path>" and "records <count>". Status 1 when the repair
// failed, 2 for bad arguments.
int RunRepairCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

// `residue-tool check [--storage DIR] [--fix]`: lists the stored entries the
// window cannot show (values that are not JSON, texts with fewer than 15
// fields: line noise an older version stored), one line each, the key with
// its bytes escaped and the reason. With --fix, the folder is copied to
// "<folder>.backup-<time>" first and the entries are then removed. Status 0
// when nothing (is left) to remove, 1 when entries were found without --fix
// or the fix failed, 2 for bad arguments or a database that does not open.
int RunCheckCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

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

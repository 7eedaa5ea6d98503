#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool verify-log [--storage DIR]`: checks the operations log beside
// the database: "ok N lines", or "line N: why" for the first line changed,
// removed or inserted (status 1). Status 2 for bad arguments.
int RunVerifyLogCommand(std::vector<std::string> args, std::ostream& out, std::ostream& err);

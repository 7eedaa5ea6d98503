#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool hash [--device-id ID]`: the record hash of one record text read
// from `in` exactly as given (GBK bytes, nothing trimmed).
// `residue-tool record [--device-id ID]`: the record's uid and its 15 display
// columns, one per line, in UTF-8; "not a record" and status 1 for a text with
// fewer than 15 fields. Both return the exit status (2 for bad arguments).
int RunHashCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                   std::ostream& err);
int RunRecordCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                     std::ostream& err);

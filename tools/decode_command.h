#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool decode FILE [--names FILE]`: runs a capture (FILE, or "-" for
// standard input) through the frame decoder and prints one line per record in
// arrival order: the record key, a tab, and the 15 trimmed fields joined by
// tabs, in UTF-8. The optional names file holds the product names of channels
// 1 to 20, one per line, in UTF-8. Returns the exit status: 0, or 2 with a
// message on `err` for bad arguments and unreadable files.
int RunDecodeCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err);

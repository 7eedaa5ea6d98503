#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool import --storage DIR FILE|- [--names FILE]`: decodes a detector
// capture as the program does and stores every record in the database folder
// (created when missing) the way a record from the detector is stored. Prints
// the keys used. Status 2 for bad arguments, unreadable files or a database
// that cannot be opened (for example while the program has it open).
int RunImportCommand(std::vector<std::string> args, std::istream& in, std::ostream& out,
                     std::ostream& err);

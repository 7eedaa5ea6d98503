#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `residue-tool json [--compact]`: parses a document read from `in` (ANSI code
// page bytes) with the program's lenient parser and writes the program's text
// form, pretty unless --compact, in the same code page. "parse error" and
// status 1 on a syntax error; 2 for bad arguments.
int RunJsonCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err);

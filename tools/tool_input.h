#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Reads a named file, or all of `in` when the name is "-". False when the file
// cannot be read.
bool ReadInput(const std::string& path, std::istream& in, std::string& bytes);

// Finds "--name VALUE" in args, removes both and stores VALUE. False when the
// option is absent; `missingValue` is set when it is the last argument.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                bool& missingValue);

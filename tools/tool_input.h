#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Reads a named file, or all of `in` when the name is "-", at most 64 MiB.
// False when it cannot be read or is bigger; `problem` then says why.
bool ReadInput(const std::string& path, std::istream& in, std::string& bytes,
               std::string* problem = nullptr);

class ProductNames;

// Loads a UTF-8 file of up to 20 lines as the product names of channels 1 to
// 20. False with the reason in `problem`.
bool LoadProductNamesFile(const std::string& path, ProductNames& names, std::string& problem);

// Finds "--name VALUE" in args, removes both and stores VALUE. False when the
// option is absent; `missingValue` is set when it is the last argument.
bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string& value,
                bool& missingValue);

// Takes "--device-id ID" from args: lower-case digits are brought to upper
// case; an ID that is not 16 hexadecimal digits is refused with the device-ID
// message in `problem` (UTF-8). True when absent or valid.
bool TakeDeviceId(std::vector<std::string>& args, std::string& id, std::string& problem);

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/nc_item_data.h"

// The CSV export of the rows the list shows: UTF-8 with a byte-order mark
// (so spreadsheet programs read the Chinese right), a caption line, one line
// per record in the order given, RFC 4180 quoting (a field with a comma,
// quote, CR or LF goes in quotes, its quotes doubled), lines ending CR LF.
// `progress`, when given, hears the rows made so far and stops the export by
// returning false (the result is then empty and `stopped` set).
std::string BuildCsv(const NcItemList& records, const std::vector<uint32_t>& rows,
                     const std::function<bool(size_t)>& progress = nullptr,
                     bool* stopped = nullptr);
// One CSV field as written.
std::string CsvField(const String& text);

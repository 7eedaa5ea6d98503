#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/nc_item_data.h"

// The CSV export of the rows the list shows: UTF-8 with a byte-order mark
// (so spreadsheet programs read the Chinese right), a caption line, one line
// per record in the order given, RFC 4180 quoting (a field with a comma,
// quote, CR or LF goes in quotes, its quotes doubled), lines ending CR LF.
std::string BuildCsv(const NcItemList& records, const std::vector<uint32_t>& rows);
// One CSV field as written.
std::string CsvField(const String& text);

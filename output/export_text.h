#pragma once

#include <functional>
#include <string>

#include "base/list.h"
#include "base/string.h"
#include "store/nc_item_data.h"

// The text export: a table of fixed-width columns, one caption line, a blank
// line, then one line per record from the last in the list to the first.
// Every cell is padded to 20 display columns (a code unit above U+0100 counts
// two) and followed by at least one blank; lines end with CR LF.

// Appends blanks to `text` up to 20 display columns, and at least one.
void PadCell(String& text);

// The export file of `records` in the ANSI code page (GBK), last record
// first, keeping only those `stillStored` says the database holds; `count` is
// the number of record lines. `stillStored` may be called from two threads.
std::string BuildExportBytes(const NcItemList& records,
                             const std::function<bool(const _NcItemData&)>& stillStored,
                             int& count);

// Writes the bytes to `path`, replacing the file whole. False when it could
// not be written in full; the old file then stays.
bool WriteExportFile(const std::string& path, const std::string& bytes);

#pragma once

#include "base/string.h"
#include "store/nc_item_data.h"

// The rows of the spreadsheet outputs (CSV, XLSX): every list column, the
// trace code and the upload state, with numbers and the test time typed.
// Texts stay Chinese whatever the window's language. Plain functions.

constexpr int kSheetColumns = 17;
extern const char16_t* const kSheetCaptions[kSheetColumns];

struct SheetCell {
  enum class Kind { kText, kNumber, kDateTime };
  Kind kind = Kind::kText;
  String text;           // what a text file writes (the number as the detector wrote it)
  double number = 0;     // kNumber
  int dateTime[6] = {};  // kDateTime: year, month, day, hour, minute, second
};

struct SheetRow {
  SheetCell cells[kSheetColumns];
};

SheetRow MakeSheetRow(const _NcItemData& record);

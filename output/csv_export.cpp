#include "output/csv_export.h"

#include "output/record_sheet.h"

std::string CsvField(const String& text) {
  std::string bytes = text.ToBytes(cp::kUtf8);
  if (bytes.find_first_of(",\"\r\n") == std::string::npos) return bytes;
  std::string quoted = "\"";
  for (const char c : bytes) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string BuildCsv(const NcItemList& records, const std::vector<uint32_t>& rows,
                     const std::function<bool(size_t)>& progress, bool* stopped) {
  if (stopped) *stopped = false;
  std::string out = "\xEF\xBB\xBF";
  for (int c = 0; c < kSheetColumns; ++c) {
    if (c) out += ',';
    out += CsvField(kSheetCaptions[c]);
  }
  out += "\r\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    if (progress && i % 1000 == 0 && !progress(i)) {
      if (stopped) *stopped = true;
      return std::string();
    }
    const SheetRow row = MakeSheetRow(records[rows[i]]);
    for (int c = 0; c < kSheetColumns; ++c) {
      if (c) out += ',';
      out += CsvField(row.cells[c].text);
    }
    out += "\r\n";
  }
  return out;
}

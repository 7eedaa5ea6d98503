#include "output/xlsx_export.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <future>

#include "base/file_io.h"
#include "output/record_sheet.h"

namespace {

std::string Utf8(const String& text) { return text.ToBytes(cp::kUtf8); }

// Column widths of the records sheet, in characters.
constexpr double kWidths[kSheetColumns] = {10, 10, 9, 10, 14, 14, 12, 8, 11,
                                           19, 8,  8, 26, 10, 6,  14, 9};

void WriteStats(lxw_workbook* book, lxw_format* caption, lxw_format* percent,
                const std::vector<StatsRow>& stats) {
  lxw_worksheet* sheet = workbook_add_worksheet(book, "统计");
  const char* captions[] = {"日期或名称", "检测数", "合格", "不合格", "不合格率"};
  for (int c = 0; c < 5; ++c)
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), captions[c], caption);
  lxw_row_t row = 1;
  for (const StatsRow& s : stats) {
    worksheet_write_string(sheet, row, 0, Utf8(s.label).c_str(), nullptr);
    worksheet_write_number(sheet, row, 1, s.tested, nullptr);
    worksheet_write_number(sheet, row, 2, s.passed, nullptr);
    worksheet_write_number(sheet, row, 3, s.failed, nullptr);
    worksheet_write_number(sheet, row, 4, s.FailureRate(), percent);
    ++row;
  }
  worksheet_freeze_panes(sheet, 1, 0);
  worksheet_set_column(sheet, 0, 0, 14, nullptr);
  worksheet_set_column(sheet, 1, 4, 10, nullptr);
}

// The workbook written to `file`.
bool MakeWorkbook(const std::string& file, const NcItemList& records,
                  const std::vector<uint32_t>& rows, const std::vector<StatsRow>& stats,
                  const std::function<bool(size_t)>& progress, String& error) {
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;  // rows go to disk as they are written
  lxw_workbook* book = workbook_new_opt(file.c_str(), &options);
  if (!book) {
    error = u"无法创建文件，请检查文件夹是否存在、是否可写";
    return false;
  }
  lxw_format* caption = workbook_add_format(book);
  format_set_bold(caption);
  lxw_format* dateTime = workbook_add_format(book);
  format_set_num_format(dateTime, "yyyy-mm-dd hh:mm:ss");
  lxw_format* percent = workbook_add_format(book);
  format_set_num_format(percent, "0.0%");

  lxw_worksheet* sheet = workbook_add_worksheet(book, "检测记录");
  worksheet_freeze_panes(sheet, 1, 0);
  for (int c = 0; c < kSheetColumns; ++c) {
    worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c), kWidths[c],
                         nullptr);
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), Utf8(kSheetCaptions[c]).c_str(),
                           caption);
  }
  bool stopped = false;
  lxw_row_t row = 1;
  // The rows' cells are made a block ahead on a second thread while this one
  // writes: making them costs about as much as writing them.
  constexpr size_t kBlock = 1000;
  auto make = [&](size_t from) {
    std::vector<SheetRow> block;
    for (size_t i = from; i < std::min(from + kBlock, rows.size()); ++i) {
      block.push_back(MakeSheetRow(records[rows[i]]));
    }
    return block;
  };
  std::future<std::vector<SheetRow>> next = std::async(std::launch::async, make, size_t{0});
  std::string utf8;
  for (size_t from = 0; from < rows.size() && !stopped; from += kBlock) {
    std::vector<SheetRow> block = next.get();
    if (from + kBlock < rows.size()) next = std::async(std::launch::async, make, from + kBlock);
    if (progress && !progress(from)) {
      stopped = true;
      break;
    }
    for (const SheetRow& cells : block) {
      for (int c = 0; c < kSheetColumns; ++c) {
        const SheetCell& cell = cells.cells[c];
        const lxw_col_t col = static_cast<lxw_col_t>(c);
        if (cell.kind == SheetCell::Kind::kNumber) {
          worksheet_write_number(sheet, row, col, cell.number, nullptr);
        } else if (cell.kind == SheetCell::Kind::kDateTime) {
          lxw_datetime when = {cell.dateTime[0], cell.dateTime[1],
                               cell.dateTime[2], cell.dateTime[3],
                               cell.dateTime[4], static_cast<double>(cell.dateTime[5])};
          worksheet_write_datetime(sheet, row, col, &when, dateTime);
        } else if (!cell.text.IsEmpty()) {
          cp::FromUtf16(cell.text.Handle(), cell.text.Length(), cp::kUtf8, utf8);
          worksheet_write_string(sheet, row, col, utf8.c_str(), nullptr);
        }
      }
      ++row;
    }
  }
  if (next.valid()) next.wait();  // a block made ahead for a stopped export
  worksheet_autofilter(sheet, 0, 0, row - 1 > 0 ? row - 1 : 0, kSheetColumns - 1);
  WriteStats(book, caption, percent, stats);
  const lxw_error closed = workbook_close(book);
  if (stopped) {
    error = u"已停止，文件没有写入";
    return false;
  }
  if (closed != LXW_NO_ERROR) {
    error = String::FromBytes(std::string("文件没有写完：") + lxw_strerror(closed), cp::kUtf8);
    return false;
  }
  return true;
}

}  // namespace

Status WriteXlsx(const std::string& path, const NcItemList& records,
                 const std::vector<uint32_t>& rows, const std::vector<StatsRow>& stats,
                 const std::function<bool(size_t)>& progress) {
  String error;
  const MadeFile made = ReplaceWithMadeFile(path, [&](const std::string& file) {
    return MakeWorkbook(file, records, rows, stats, progress, error);
  });
  if (made == MadeFile::kNotMade && error.IsEmpty())
    error = u"无法创建文件，请检查文件夹是否存在、是否可写";
  if (made == MadeFile::kNotReplaced) error = u"无法写入文件，请检查磁盘空间和文件夹权限";
  return made == MadeFile::kReplaced ? Status::Ok() : Status::Failed(error);
}

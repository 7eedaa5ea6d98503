#include "output/record_sheet.h"

#include "base/calendar.h"
#include "store/record_filter.h"
#include "store/record_text.h"

const char16_t* const kSheetCaptions[kSheetColumns] = {
    u"状态",     u"名称",      u"检测结果",     u"抑制率(％)", u"被检单位", u"位置",
    u"主检单位", u"检验员",    u"检测标准(％)", u"日期",       u"温度(℃)",  u"读数(％)",
    u"经纬度",   u"对照液A值", u"通道",         u"追溯码",     u"上传状态"};

namespace {

// The list columns that hold numbers, and the unit the list adds to each.
const char16_t* UnitOf(int column) {
  switch (column) {
    case 3:
    case 8:
    case 11:
      return u"％";
    case 10:
      return u"℃";
    case 13:
    case 14:
      return u"";
    default:
      return nullptr;  // not a number column
  }
}

// "2019-03-05 15:16:04" as the list writes a 12-digit test time.
bool ReadDateTime(const String& text, int parts[6]) {
  if (text.Length() != 19) return false;
  const int at[6] = {0, 5, 8, 11, 14, 17};
  const int width[6] = {4, 2, 2, 2, 2, 2};
  for (int p = 0; p < 6; ++p) {
    int value = 0;
    for (int k = 0; k < width[p]; ++k) {
      const char16_t c = text.Element(static_cast<uint32_t>(at[p] + k));
      if (c < u'0' || c > u'9') return false;
      value = value * 10 + (c - u'0');
    }
    parts[p] = value;
  }
  return IsCalendarDate(static_cast<uint32_t>(parts[0] * 10000 + parts[1] * 100 + parts[2])) &&
         parts[3] < 24 && parts[4] < 60 && parts[5] < 60;
}

}  // namespace

SheetRow MakeSheetRow(const _NcItemData& record) {
  SheetRow row;
  const RecordColumns columns = record.Columns();
  for (int c = 0; c < RecordColumns::kCount; ++c) {
    SheetCell& cell = row.cells[c];
    cell.text = columns.cell[c];
    if (const char16_t* unit = UnitOf(c)) {
      const uint32_t unitLength = String(unit).Length();
      if (cell.text.Length() >= unitLength) cell.text.SetLength(cell.text.Length() - unitLength);
      if (ReadDecimal(std::u16string_view(cell.text.Handle(), cell.text.Length()), cell.number)) {
        cell.kind = SheetCell::Kind::kNumber;
      }
    } else if (c == 9 && ReadDateTime(cell.text, cell.dateTime)) {
      cell.kind = SheetCell::Kind::kDateTime;
    }
  }
  row.cells[15].text = TraceCode(record);
  row.cells[16].text = record.uploaded ? u"已上传" : u"未上传";
  return row;
}

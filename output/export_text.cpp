#include "output/export_text.h"

#include "base/file_io.h"

namespace {

constexpr int kCellWidth = 20;
constexpr char16_t kCaptions[] =
    u"名称\t检测结果\t抑制率\t检测标准\t被检单位\t位置\t主检单位\t检验员\t对照液A值\t通道\t日期";
constexpr int kColumnEntries[] = {1, 2, 3, 8, 4, 5, 6, 7, 13, 14, 9};

void AppendPadded(String& line, const String& cell) {
  String padded = cell;
  PadCell(padded);
  line.Append(padded);
}

}  // namespace

void PadCell(String& text) {
  int width = 0;
  for (uint32_t i = 0; i < text.Length(); ++i) width += text.Element(i) > 0x100 ? 2 : 1;
  const int blanks = width < kCellWidth ? kCellWidth - width : 1;
  for (int i = 0; i < blanks; ++i) text.Append(u' ');
}

String BuildExportText(const ObjectList<_NcItemData>& records,
                       const std::function<bool(const _NcItemData&)>& stillStored, int& count) {
  String text(u"");
  text.Reserve(records.Count() * 240 + 256);
  ObjectList<String> captions;
  String::Split(kCaptions, u"\t", captions);
  for (uint32_t i = 0; i < captions.Count(); ++i) AppendPadded(text, captions[i]);
  text.Append(u"\r\n\r\n");
  count = 0;
  for (uint32_t i = records.Count(); i-- > 0;) {
    const _NcItemData& record = records[i];
    if (!stillStored(record)) continue;
    for (int entry : kColumnEntries) AppendPadded(text, record.columns[entry]);
    text.Append(u"\r\n");
    ++count;
  }
  return text;
}

bool WriteExportFile(const std::string& path, const String& text) {
  return ReplaceFileContent(path, text.ToBytes(cp::kAnsi));
}

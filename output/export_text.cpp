#include "output/export_text.h"

#include <algorithm>
#include <string>

#include "base/file_io.h"
#include "base/parallel.h"
#include "store/stored_value.h"

namespace {

constexpr int kCellWidth = 20;
constexpr char16_t kCaptions[] =
    u"名称\t检测结果\t抑制率\t检测标准\t被检单位\t位置\t主检单位\t检验员\t对照液A值\t通道\t日期";

// The blanks after a cell: up to 20 display columns (a unit above U+0100
// counts two), and at least one.
size_t BlanksAfter(const char16_t* cell, size_t length) {
  int width = 0;
  for (size_t i = 0; i < length; ++i) width += cell[i] > 0x100 ? 2 : 1;
  return static_cast<size_t>(width < kCellWidth ? kCellWidth - width : 1);
}

// Appends `cell` in GBK, padded as PadCell pads it.
void AppendPadded(const char16_t* cell, size_t length, std::string& out) {
  cp::AppendGbk(cell, length, out);
  out.append(BlanksAfter(cell, length), ' ');
}

// One record's export line, straight from its text: the fields are found in
// place (split at '+', trimmed as the list trims them), nothing else is built.
class ExportLine {
 public:
  void Append(const _NcItemData& record, std::string& out) {
    UnescapeText(record.TextForm(), text_);
    Split();
    const auto cell = [&](int field) { AppendPadded(Field(field), length_[field], out); };
    cell(13);
    const std::u16string result = IsFailed() ? u"不合格" : u"合格";
    AppendPadded(result.data(), result.size(), out);
    AppendWithUnit(2, u'％', out);
    AppendWithUnit(14, u'％', out);
    cell(12);
    cell(7);
    cell(10);
    cell(11);
    cell(5);
    cell(1);
    AppendTime(out);
    out.append("\r\n");
  }

 private:
  void Split() {
    uint32_t start = 0;
    int field = 0;
    const uint32_t n = static_cast<uint32_t>(text_.size());
    for (uint32_t i = 0; i <= n && field < kFields; ++i) {
      if (i < n && text_[i] != u'+') continue;
      uint32_t first = start, last = i;
      while (last > first && String::IsBlank(text_[last - 1])) --last;
      while (first < last && String::IsBlank(text_[first])) ++first;
      begin_[field] = first;
      length_[field] = last - first;
      ++field;
      start = i + 1;
    }
  }
  const char16_t* Field(int field) const { return text_.data() + begin_[field]; }
  bool IsFailed() const { return length_[6] == 1 && Field(6)[0] == u'0'; }
  void AppendWithUnit(int field, char16_t unit, std::string& out) {
    cell_.assign(Field(field), length_[field]);
    cell_.push_back(unit);
    AppendPadded(cell_.data(), cell_.size(), out);
  }
  // The test time as the list shows it, from field 0.
  void AppendTime(std::string& out) {
    static const char16_t kSeparators[] = u"-- ::";
    cell_.assign(u"20");
    const uint32_t n = length_[0];
    for (uint32_t part = 0; part < 6; ++part) {
      const uint32_t from = part * 2;
      if (from < n) cell_.append(Field(0) + from, std::min(2u, n - from));
      if (part < 5) cell_.push_back(kSeparators[part]);
    }
    AppendPadded(cell_.data(), cell_.size(), out);
  }

  static constexpr int kFields = 15;
  std::u16string text_;
  std::u16string cell_;
  uint32_t begin_[kFields] = {};
  uint32_t length_[kFields] = {};
};

}  // namespace

void PadCell(String& text) {
  for (size_t i = BlanksAfter(text.Handle(), text.Length()); i > 0; --i) text.Append(u' ');
}

std::string BuildExportBytes(const NcItemList& records,
                             const std::function<bool(const _NcItemData&)>& stillStored,
                             int& count) {
  std::string out;
  out.reserve(static_cast<size_t>(records.Count()) * 240 + 256);
  ObjectList<String> captions;
  String::Split(kCaptions, u"\t", captions);
  for (uint32_t i = 0; i < captions.Count(); ++i) {
    AppendPadded(captions[i].Handle(), captions[i].Length(), out);
  }
  out.append("\r\n\r\n");
  // Lines from the last record to the first; a long list in two halves at once.
  auto lines = [&](uint32_t from, uint32_t to, std::string& text) {
    ExportLine line;
    int lineCount = 0;
    for (uint32_t i = to; i-- > from;) {
      const _NcItemData& record = records[i];
      if (!stillStored(record)) continue;
      line.Append(record, text);
      ++lineCount;
    }
    return lineCount;
  };
  // The newer half goes first in the file; the older one is made beside it.
  std::string older;
  int counts[2] = {0, 0};
  const bool split = RunInTwoHalves(records.Count(), 20000, [&](int part, size_t from, size_t to) {
    std::string& text = part == 1 || to == records.Count() ? out : older;
    if (&text == &older) older.reserve((to - from) * 240);
    counts[part] = lines(static_cast<uint32_t>(from), static_cast<uint32_t>(to), text);
  });
  if (split) out += older;
  count = counts[0] + counts[1];
  return out;
}

bool WriteExportFile(const std::string& path, const std::string& bytes) {
  return ReplaceFileContent(path, bytes);
}

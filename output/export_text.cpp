#include "output/export_text.h"

#include <algorithm>
#include <string>

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

namespace {

// Appends `cell` padded as PadCell pads it.
void AppendPaddedUnits(String& line, const char16_t* cell, uint32_t length) {
  int width = 0;
  for (uint32_t i = 0; i < length; ++i) width += cell[i] > 0x100 ? 2 : 1;
  line.Append(cell, length);
  for (int blanks = width < kCellWidth ? kCellWidth - width : 1; blanks > 0; --blanks) {
    line.Append(u' ');
  }
}

// One record's export line, straight from its text: the fields are found in
// place (split at '+', trimmed as the list trims them), nothing else is built.
class ExportLine {
 public:
  void Append(const _NcItemData& record, String& out) {
    Decode(record.EncodedText());
    Split();
    const auto cell = [&](int field) { AppendField(field, out); };
    cell(13);
    AppendPadded(out, IsFailed() ? String(u"不合格") : String(u"合格"));
    AppendWithUnit(2, u'％', out);
    AppendWithUnit(14, u'％', out);
    cell(12);
    cell(7);
    cell(10);
    cell(11);
    cell(5);
    cell(1);
    AppendTime(out);
    out.Append(u"\r\n");
  }

 private:
  void Decode(std::string_view bytes) {
    text_.clear();
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
      const unsigned char b = s[i];
      if (b < 0x80) {
        text_.push_back(b);
        i += 1;
      } else if (b < 0xE0) {
        text_.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | (s[i + 1] & 0x3F)));
        i += 2;
      } else {
        text_.push_back(static_cast<char16_t>(((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) |
                                              (s[i + 2] & 0x3F)));
        i += 3;
      }
    }
  }
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
  void AppendField(int field, String& out) const {
    AppendPaddedUnits(out, Field(field), length_[field]);
  }
  void AppendWithUnit(int field, char16_t unit, String& out) {
    cell_.assign(Field(field), length_[field]);
    cell_.push_back(unit);
    AppendPaddedUnits(out, cell_.data(), static_cast<uint32_t>(cell_.size()));
  }
  // The test time as FormatTestTime writes it, from field 0.
  void AppendTime(String& out) {
    static const char16_t kSeparators[] = u"-- ::";
    cell_.assign(u"20");
    const uint32_t n = length_[0];
    for (uint32_t part = 0; part < 6; ++part) {
      const uint32_t from = part * 2;
      if (from < n) cell_.append(Field(0) + from, std::min(2u, n - from));
      if (part < 5) cell_.push_back(kSeparators[part]);
    }
    AppendPaddedUnits(out, cell_.data(), static_cast<uint32_t>(cell_.size()));
  }

  static constexpr int kFields = 15;
  std::u16string text_;
  std::u16string cell_;
  uint32_t begin_[kFields] = {};
  uint32_t length_[kFields] = {};
};

}  // namespace

String BuildExportText(const NcItemList& records,
                       const std::function<bool(const _NcItemData&)>& stillStored, int& count) {
  String text(u"");
  text.Reserve(records.Count() * 240 + 256);
  ObjectList<String> captions;
  String::Split(kCaptions, u"\t", captions);
  for (uint32_t i = 0; i < captions.Count(); ++i) AppendPadded(text, captions[i]);
  text.Append(u"\r\n\r\n");
  count = 0;
  ExportLine line;
  for (uint32_t i = records.Count(); i-- > 0;) {
    const _NcItemData& record = records[i];
    if (!stillStored(record)) continue;
    line.Append(record, text);
    ++count;
  }
  return text;
}

bool WriteExportFile(const std::string& path, const String& text) {
  return ReplaceFileContent(path, text.ToBytes(cp::kAnsi));
}

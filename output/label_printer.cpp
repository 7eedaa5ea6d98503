#include "output/label_printer.h"

#include <cstdio>
#include <qrcodegen/qrcodegen.hpp>

#include "base/config.h"
#include "base/json.h"

namespace {

constexpr size_t kTextArea = 256;

std::string Gbk(const String& text) { return text.ToBytes(cp::kGbk); }

}  // namespace

LabelLayout LabelLayout::FromJson(const Json* printer) {
  Json empty;
  const Json& p = printer ? *printer : empty;
  LabelLayout l;
  l.width = p.PropertyInt32(u"width", 0);
  l.height = p.PropertyInt32(u"height", 0);
  const int numbers[7] = {p.PropertyInt32(u"line_y1", 10),  p.PropertyInt32(u"line_y2", 55),
                          p.PropertyInt32(u"line_y3", 88),  p.PropertyInt32(u"line_y4", 120),
                          p.PropertyInt32(u"line_y5", 160), p.PropertyInt32(u"tr_x", 10),
                          p.PropertyInt32(u"tr_y", 220)};
  std::string* texts[7] = {&l.lineY1Text, &l.lineY2Text, &l.lineY3Text, &l.lineY4Text,
                           &l.lineY5Text, &l.trXText,    &l.trYText};
  size_t used = 0;
  for (int i = 0; i < 7; ++i) {
    *texts[i] = std::to_string(numbers[i]);
    used += texts[i]->size() + 1;
  }
  l.lineY1 = numbers[0];
  // The title shares the 256-byte text area and keeps its last byte for the terminator.
  const std::string title = Gbk(p.PropertyStr(u"lab_name", u"Tavrin产品溯源系统"));
  l.titleText = used + title.size() + 1 <= kTextArea ? title : std::string();
  l.qrX = p.PropertyInt32(u"qr_x", 300);
  l.qrY = p.PropertyInt32(u"qr_y", 190);
  l.qrModule = p.PropertyInt32(u"qr_w", 6);
  if (l.width < 1) l.width = 75;
  if (l.height < 1) l.height = 55;
  l.device = p.PropertyStr(u"device", u"");
  return l;
}

LabelLayout LabelLayout::FromSettings() {
  Config config;
  Json* root = config.Root();
  return FromJson(root ? root->GetProperty(u"printer", true) : nullptr);
}

LabelPrinter::LabelPrinter(const LabelLayout& layout)
    : LabelPrinter(layout, OpenLabelTransport(layout.device)) {}

LabelPrinter::LabelPrinter(const LabelLayout& layout, std::unique_ptr<LabelTransport> transport)
    : layout_(layout), commands_(std::move(transport)) {
  Open();
}

void LabelPrinter::Open() {
  commands_.openport("Gprinter  GP-3120TN");  // the name the maker's library expects
  const std::string width = std::to_string(layout_.width);
  const std::string height = std::to_string(layout_.height);
  commands_.setup(width.c_str(), height.c_str(), "3", "15", "0", "3", "0");
  commands_.sendcommand("SET CUTTER OFF");
  commands_.sendcommand("DIRECTION 1");
}

bool LabelPrinter::PrintLabel(const String& line1, const String& line2, const String& line3,
                              const String& line4, const String& barcodeText,
                              const String& qrText) {
  const std::string lines[4] = {Gbk(line1), Gbk(line2), Gbk(line3), Gbk(line4)};
  const std::string* ys[4] = {&layout_.lineY2Text, &layout_.lineY3Text, &layout_.lineY4Text,
                              &layout_.lineY5Text};
  commands_.clearbuffer();
  commands_.printerfont("10", layout_.lineY1Text.c_str(), "TSS24.BF2", "0", "1", "1",
                        layout_.titleText.c_str());
  DrawDashedRule(layout_.lineY1);
  for (int i = 0; i < 4; ++i) {
    commands_.printerfont("10", ys[i]->c_str(), "TSS24.BF2", "0", "1", "1", lines[i].c_str());
  }
  commands_.barcode(layout_.trXText.c_str(), layout_.trYText.c_str(), "128", "96", "1", "0", "2",
                    "2", Gbk(barcodeText).c_str());
  DrawQrCode(layout_.qrX, layout_.qrY, Gbk(qrText));
  return commands_.printlabel("1", "1");
}

void LabelPrinter::DrawDashedRule(int w) {
  if (w <= 0) return;  // no dash length, no rule
  const int n = 800 / w;
  char line[64];
  for (int k = 0; k < (n + 1) / 2; ++k) {
    std::snprintf(line, sizeof line, "BAR %d,%d,%d,%d", (4 * w * k) / 3, 40, w, 1);
    commands_.sendcommand(line);
  }
}

void LabelPrinter::DrawQrCode(int x, int y, const std::string& text) {
  if (text.empty()) return;
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  try {
    const qrcodegen::QrCode qr = qrcodegen::QrCode::encodeSegments(
        {qrcodegen::QrSegment::makeBytes(bytes)}, qrcodegen::QrCode::Ecc::LOW, 1, 40, 1, false);
    const int m = layout_.qrModule;
    char line[80];
    for (int j = 0; j < qr.getSize(); ++j) {
      for (int i = 0; i < qr.getSize(); ++i) {
        if (!qr.getModule(i, j)) continue;
        std::snprintf(line, sizeof line, "BOX %d,%d,%d,%d,5", x + i * m, y + j * m, x + i * m + m,
                      y + j * m + m);
        commands_.sendcommand(line);
      }
    }
  } catch (const qrcodegen::data_too_long&) {
    // Too long for the largest symbol: the label goes out without a QR code.
  }
}

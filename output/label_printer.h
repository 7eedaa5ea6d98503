#pragma once

#include <memory>
#include <string>

#include "base/string.h"
#include "output/tspl_commands.h"

// The label layout from the "printer" settings: positions in printer dots,
// the label size in millimetres, the title, and where labels go ("device").
struct LabelLayout {
  int width = 0;   // mm; below 1 becomes 75
  int height = 0;  // mm; below 1 becomes 55
  std::string lineY1Text, lineY2Text, lineY3Text, lineY4Text, lineY5Text, trXText, trYText;
  std::string titleText;  // GBK; empty when it does not fit the text area
  int lineY1 = 10;        // the title's y, also the dash length of the rule
  int qrX = 300, qrY = 190, qrModule = 6;
  String device;  // "device": the label destination (see OpenLabelTransport)

  // Reads the layout with its defaults; the access adds "printer": null to the
  // settings file when the key is missing.
  static LabelLayout FromSettings();
  // The same rules applied to one "printer" object (null or absent members default).
  static LabelLayout FromJson(const class Json* printer);
};

// One printer connection for a print job: opened and set up for the label
// stock when created, one label per PrintLabel. UI thread.
class LabelPrinter {
 public:
  explicit LabelPrinter(const LabelLayout& layout);
  LabelPrinter(const LabelLayout& layout, std::unique_ptr<LabelTransport> transport);

  // Lays out and sends one label: title, dashed rule, four text lines, the
  // Code 128 barcode and the QR code. False when it was not delivered.
  bool PrintLabel(const String& line1, const String& line2, const String& line3,
                  const String& line4, const String& barcodeText, const String& qrText);
  void Close() { commands_.closeport(); }

  TsplCommands& Commands() { return commands_; }

 private:
  void Open();
  void DrawDashedRule(int dashLength);
  void DrawQrCode(int x, int y, const std::string& text);

  LabelLayout layout_;
  TsplCommands commands_;
};

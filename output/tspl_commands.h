#pragma once

#include <memory>
#include <string>
#include <vector>

#include "output/label_transport.h"

// Our implementation of the label printer library's command interface: the
// same calls, with 8-bit (GBK) zero-terminated texts, producing TSPL command
// lines ending in CR LF. The commands sent before the first clearbuffer set
// the label stock up and are repeated in front of every label, so each label
// reaches the transport as a complete job. UI thread; one per print job.
class TsplCommands {
 public:
  explicit TsplCommands(std::unique_ptr<LabelTransport> transport);

  void openport(const char* printerName);
  void setup(const char* width, const char* height, const char* speed, const char* density,
             const char* sensor, const char* gap, const char* offset);
  void sendcommand(const char* command);
  void clearbuffer();
  void printerfont(const char* x, const char* y, const char* font, const char* rotation,
                   const char* xMul, const char* yMul, const char* text);
  void barcode(const char* x, const char* y, const char* type, const char* height,
               const char* readable, const char* rotation, const char* narrow, const char* wide,
               const char* content);
  // Sends the label built since clearbuffer; false (with a reason) when the
  // transport could not deliver it.
  bool printlabel(const char* sets, const char* copies);
  void closeport();

  const String& LastError() const { return lastError_; }
  const String& DestinationName() const { return transport_->Name(); }
  // The bytes of the last label handed to the transport.
  const std::string& LastLabel() const { return lastLabel_; }

 private:
  void Line(const std::string& line);

  std::unique_ptr<LabelTransport> transport_;
  std::string setupLines_;  // before the first clearbuffer
  std::string labelLines_;  // since the last clearbuffer
  bool inLabel_ = false;
  std::string lastLabel_;
  String lastError_;
};

// A text for a quoted TSPL parameter: a double quote is written as \["].
std::string QuoteTspl(const char* text);

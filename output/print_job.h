#pragma once

#include <memory>

#include "base/list.h"
#include "base/string.h"
#include "output/label_printer.h"
#include "store/nc_item_data.h"

// The texts of one record's label.
struct LabelTexts {
  String line1, line2, line3, line4;
  String barcode;  // the first 12 uid digits read as hexadecimal, in decimal
  String qr;       // the trace URL prefix followed by those 12 digits
};
LabelTexts MakeLabelTexts(const _NcItemData& record, const String& traceUrl);

// The first 12 characters of `uid` read as a hexadecimal number, reading
// stopping at the first other character (no digits: 0).
unsigned long long TraceNumber(const String& uid);

// Prints one label per ticked record, one label per step, walking the live
// record list (read afresh each step, so unticking ahead of the cursor keeps a
// record off). The window calls Step at once and then every 3 seconds. One job
// at a time: Start refuses while a printer is open. UI thread.
class PrintJob {
 public:
  enum class Step { kPrinted, kFinished, kFailed };

  bool IsRunning() const { return printer_ != nullptr; }
  bool Start(ObjectList<_NcItemData>* records, const String& traceUrl,
             std::unique_ptr<LabelPrinter> printer);
  // Prints the next ticked record's label (kPrinted), or, with none left, closes
  // the printer (kFinished). A label the printer did not take ends the job
  // (kFailed); Printed() then counts only the delivered labels.
  Step OnPrintTimer();
  // Ends a running job without printing more (the window is closing).
  void Stop();

  int Printed() const { return printed_; }
  const String& Destination() const { return destination_; }
  const String& FailureText() const { return failure_; }

 private:
  void ClosePrinter();

  ObjectList<_NcItemData>* records_ = nullptr;
  std::unique_ptr<LabelPrinter> printer_;
  uint32_t cursor_ = 0;
  int printed_ = 0;
  String traceUrl_;
  String destination_;
  String failure_;
};

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
LabelTexts MakeLabelTexts(const RecordColumns& columns, const String& uid, const String& traceUrl);
LabelTexts MakeLabelTexts(const _NcItemData& record, const String& traceUrl);

// The first 12 characters of `uid` read as a hexadecimal number, reading
// stopping at the first other character (no digits: 0).
unsigned long long TraceNumber(const String& uid);

// Lays out one label per ticked record, one label per step, walking the live
// record list (read afresh each step, so unticking ahead of the cursor keeps a
// record off). The window runs a step at once and then every 3 seconds, hands
// each label to its delivery worker, and reports back whether the printer took
// it. One job at a time: Start refuses while a job runs. UI thread; no I/O.
class PrintJob {
 public:
  enum class Step { kLabel, kFinished };

  bool IsRunning() const { return printer_ != nullptr; }
  // `printer` lays the labels out; `destination` names where they go.
  bool Start(const NcItemList* records, const String& traceUrl,
             std::unique_ptr<LabelPrinter> printer, const String& destination);
  // Lays out the next ticked record's label into `tspl` (kLabel, counted as
  // handed over), or, with none left, closes the printer (kFinished).
  Step OnPrintTimer(std::string& tspl);
  // The delivery of the label last handed over has ended. An undelivered
  // label is not counted; the caller ends the job with FailureText().
  void LabelDelivered(bool delivered, const String& failure);
  // Ends a running job without laying out more (stopped, or the window closes).
  void Stop();

  int Printed() const { return printed_; }
  int HandedOver() const { return handedOver_; }
  // Ticked records not yet reached by the cursor: labels still to come.
  int TickedAhead() const;
  const String& Destination() const { return destination_; }
  const String& FailureText() const { return failure_; }

 private:
  const NcItemList* records_ = nullptr;
  std::unique_ptr<LabelPrinter> printer_;
  uint32_t cursor_ = 0;
  int printed_ = 0;
  int handedOver_ = 0;
  String traceUrl_;
  String destination_;
  String failure_;
};

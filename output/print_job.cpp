#include "output/print_job.h"

unsigned long long TraceNumber(const String& uid) {
  unsigned long long value = 0;
  for (uint32_t i = 0; i < 12 && i < uid.Length(); ++i) {
    const int digit = String::HexValue(uid.Element(i));
    if (digit < 0) break;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return value;
}

LabelTexts MakeLabelTexts(const _NcItemData& record, const String& traceUrl) {
  return MakeLabelTexts(record.Columns(), record.Uid(), traceUrl);
}

LabelTexts MakeLabelTexts(const RecordColumns& columns, const String& uid, const String& traceUrl) {
  LabelTexts t;
  const String* c = columns.cell;
  t.line1.Format(u"产品:%s / %s", c[1].Handle(), c[4].Handle());
  t.line2.Format(u"检测结果:%s 抑制率:%s", c[2].Handle(), c[3].Handle());
  t.line3.Format(u"检测人: %s / %s", c[7].Handle(), c[6].Handle());
  t.line4.Format(u"%s", c[9].Handle());
  t.barcode.Format(u"%llu", TraceNumber(uid));
  t.qr = traceUrl + uid.Left(12);
  return t;
}

bool PrintJob::Start(const NcItemList* records, const String& traceUrl,
                     std::unique_ptr<LabelPrinter> printer, const String& destination) {
  if (printer_) return false;
  traceUrl_ = traceUrl;
  records_ = records;
  printer_ = std::move(printer);
  destination_ = destination;
  failure_ = u"";
  cursor_ = 0;
  printed_ = 0;
  handedOver_ = 0;
  return true;
}

PrintJob::Step PrintJob::OnPrintTimer(std::string& tspl) {
  while (printer_ && cursor_ < records_->Count()) {
    const _NcItemData& record = (*records_)[cursor_++];
    if (!record.selected) continue;
    const LabelTexts t = MakeLabelTexts(record, traceUrl_);
    printer_->PrintLabel(t.line1, t.line2, t.line3, t.line4, t.barcode, t.qr);
    tspl = printer_->Commands().LastLabel();
    ++handedOver_;
    return Step::kLabel;
  }
  Stop();
  return Step::kFinished;
}

void PrintJob::LabelDelivered(bool delivered, const String& failure) {
  if (delivered) {
    ++printed_;
  } else {
    failure_ = failure;
  }
}

int PrintJob::TickedAhead() const {
  if (!printer_) return 0;
  int ahead = 0;
  for (uint32_t i = cursor_; i < records_->Count(); ++i) ahead += (*records_)[i].selected ? 1 : 0;
  return ahead;
}

void PrintJob::Stop() {
  if (!printer_) return;
  printer_->Close();
  printer_.reset();
}

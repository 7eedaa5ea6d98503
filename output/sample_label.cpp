#include "output/sample_label.h"

#include "device/frame_builder.h"
#include "output/print_job.h"
#include "store/nc_item_data.h"

std::string SampleLabel(const LabelLayout& layout, const String& traceUrl, const String& testTime,
                        const String& deviceId) {
  FrameFields fields;
  fields.time = testTime;
  fields.sample = u"测试样品";
  fields.result = u"1";
  fields.rate = u"12.0";
  NcItemList list;
  const String text = String::FromBytes(BuildFrame(fields).substr(3), cp::kGbk);
  const _NcItemData* record = list.Append(testTime, text, false, false, deviceId);
  if (!record) return std::string();
  const LabelTexts t = MakeLabelTexts(*record, traceUrl);
  LabelPrinter printer(layout, std::make_unique<NoLabelTransport>());
  printer.PrintLabel(t.line1, t.line2, t.line3, t.line4, t.barcode, t.qr);
  return printer.Commands().LastLabel();
}

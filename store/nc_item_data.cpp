#include "store/nc_item_data.h"

#include <atomic>

#include "device/record_fields.h"
#include "device/record_hash.h"
#include "store/record_text.h"

namespace {

constexpr char16_t kPercent[] = u"％";  // U+FF05, as the detector's manual prints it
constexpr char16_t kCelsius[] = u"℃";

String WithUnit(const String& value, const char16_t* unit) { return value + unit; }

std::atomic<uint64_t> nextSerial{1};

}  // namespace

_NcItemData* AppendRecord(ObjectList<_NcItemData>& records, const String& text, bool selected,
                          bool uploaded, const String& deviceId) {
  ObjectList<String> f;
  if (SplitRecordFields(text, f) < kRecordFieldCount) return nullptr;
  _NcItemData* record = records.Add();
  if (!record) return nullptr;
  record->selected = selected;
  record->uploaded = uploaded;
  record->key = f[0];
  String* c = record->columns;
  c[0] = uploaded ? u"已上传" : u"";
  c[1] = f[13];
  c[2] = f[6] == u"0" ? u"不合格" : u"合格";
  c[3] = WithUnit(f[2], kPercent);
  c[4] = f[12];
  c[5] = f[7];
  c[6] = f[10];
  c[7] = f[11];
  c[8] = WithUnit(f[14], kPercent);
  c[9] = f[0];
  FormatTestTime(c[9]);
  c[10] = WithUnit(f[3], kCelsius);
  c[11] = WithUnit(f[4], kPercent);
  c[12] = FormatLocation(f[8], f[9]);
  c[13] = f[5];
  c[14] = f[1];
  record->uid = ComputeRecordHash(text, deviceId);
  record->serial = nextSerial++;
  return record;
}

_NcItemData* FindBySerial(ObjectList<_NcItemData>& records, uint64_t serial) {
  const int index = IndexBySerial(records, serial);
  return index < 0 ? nullptr : records.Element(static_cast<uint32_t>(index));
}

int IndexBySerial(const ObjectList<_NcItemData>& records, uint64_t serial) {
  uint32_t low = 0, high = records.Count();
  while (low < high) {
    const uint32_t mid = low + (high - low) / 2;
    if (records[mid].serial < serial) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low < records.Count() && records[low].serial == serial ? static_cast<int>(low) : -1;
}

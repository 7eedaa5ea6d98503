#include "store/nc_item_data.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <mutex>

#include "base/calendar.h"
#include "device/record_fields.h"
#include "device/record_hash.h"
#include "store/record_text.h"
#include "store/stored_value.h"

namespace {

constexpr char16_t kPercent[] = u"％";  // U+FF05, as the detector's manual prints it
constexpr char16_t kCelsius[] = u"℃";
constexpr size_t kChunkBytes = 1 << 20;
constexpr uint32_t kCachedRows = 512;  // a few screens of rows

String WithUnit(const String& value, const char16_t* unit) { return value + unit; }

std::atomic<uint64_t> nextSerial{1};

}  // namespace

bool IsRecordText(const String& text) {
  // SplitRecordFields makes one field more than there are '+' (none for "").
  uint32_t separators = 0;
  for (uint32_t i = 0; i < text.Length(); ++i) separators += text.Element(i) == u'+' ? 1 : 0;
  return !text.IsEmpty() && separators + 1 >= kRecordFieldCount;
}

String RecordTestTime(const String& text) {
  const int plus = text.Find(u'+');
  String time = plus < 0 ? text : text.Left(plus);
  return time.Trim();
}

bool BuildRecordColumns(const String& text, bool uploaded, RecordColumns& columns) {
  ObjectList<String> f;
  if (SplitRecordFields(text, f) < kRecordFieldCount) return false;
  String* c = columns.cell;
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
  c[12] = FormatLocation(std::u16string_view(f[8].Handle(), f[8].Length()),
                         std::u16string_view(f[9].Handle(), f[9].Length()));
  c[13] = f[5];
  c[14] = f[1];
  return true;
}

namespace {

// The device IDs rows were built with, numbered: a row keeps the number. The
// list of a running program sees one or two.
class DeviceIdTable {
 public:
  uint16_t Number(const String& deviceId) {
    std::lock_guard<std::mutex> hold(lock_);
    for (size_t i = ids_.size(); i-- > 0;) {
      if (ids_[i] == deviceId) return static_cast<uint16_t>(i);
    }
    if (ids_.size() == 0xFFFF) return 0xFFFF;  // never reached by a real station
    ids_.push_back(deviceId);
    return static_cast<uint16_t>(ids_.size() - 1);
  }
  String Id(uint16_t number) {
    std::lock_guard<std::mutex> hold(lock_);
    return number < ids_.size() ? ids_[number] : String(u"");
  }

 private:
  std::mutex lock_;
  std::deque<String> ids_;
};

DeviceIdTable& DeviceIds() {
  static DeviceIdTable table;
  return table;
}

}  // namespace

void NcItemList::ReadDateAndResult(_NcItemData& record) {
  const std::string_view form = record.TextForm();
  std::string_view fields[14];
  const int count = SplitForm(form, fields, 14);
  // The searched span: the whole text when the fields are not all there.
  record.searchedTo_ = static_cast<uint16_t>(std::min<size_t>(form.size(), 0xFFFF));
  if (count == 14 && fields[13].data() + fields[13].size() - form.data() <= 0xFFFF) {
    record.searchedFrom_ = static_cast<uint16_t>(fields[7].data() - form.data());
    record.searchedTo_ = static_cast<uint16_t>(fields[13].data() + fields[13].size() - form.data());
  }
  if (count < 7) return;
  // Most fields have nothing to unescape and no blanks but spaces to trim:
  // read from the bytes. Others go the long way.
  auto plain = [](std::string_view& field) {
    if (field.find('\\') != std::string_view::npos) return false;
    while (!field.empty() && (field.front() == ' ' || field.front() == '\v'))
      field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\v')) field.remove_suffix(1);
    return true;
  };
  std::u16string text;  // empty until a field takes the long way
  std::string_view time = fields[0], result = fields[6];
  if (plain(time)) {
    record.testDate_ = TestDayOf(time);
  } else {
    FieldText(fields[0], text);
    record.testDate_ = TestDayOf(std::u16string_view(text));
  }
  if (plain(result)) {
    record.failed_ = result == "0";
  } else {
    FieldText(fields[6], text);
    record.failed_ = text == u"0";
  }
}

String _NcItemData::Key() const { return UnescapeText(KeyForm()); }

String _NcItemData::Text() const { return UnescapeText(TextForm()); }

String _NcItemData::DeviceId() const { return DeviceIds().Id(deviceId_); }

void _NcItemData::ComputeUid() const {
  const String hex = ComputeRecordHash(Text(), DeviceIds().Id(deviceId_));
  hex.HexToBytes(uid_, sizeof uid_);
  uidReady_ = true;
}

void _NcItemData::TraceDigits(char digits[12]) const {
  if (!uidReady_) ComputeUid();
  static const char kHex[] = "0123456789abcdef";
  for (int i = 0; i < 6; ++i) {
    digits[2 * i] = kHex[uid_[i] >> 4];
    digits[2 * i + 1] = kHex[uid_[i] & 15];
  }
}

String _NcItemData::Uid() const {
  if (!uidReady_) ComputeUid();
  static const char16_t kHex[] = u"0123456789ABCDEF";
  char16_t text[2 * sizeof uid_];
  for (size_t i = 0; i < sizeof uid_; ++i) {
    text[2 * i] = kHex[uid_[i] >> 4];
    text[2 * i + 1] = kHex[uid_[i] & 15];
  }
  return String(text, 2 * sizeof uid_);
}

RecordColumns _NcItemData::Columns() const {
  RecordColumns columns;
  BuildRecordColumns(Text(), false, columns);
  columns.cell[0] = Status();
  return columns;
}

String _NcItemData::Status() const {
  if (status_) return *status_;
  return String(builtUploaded_ ? u"已上传" : u"");
}

void _NcItemData::SetStatus(const String& text) { status_ = std::make_unique<String>(text); }

NcItemList::NcItemList() = default;
NcItemList::~NcItemList() = default;

const char* NcItemList::Keep(std::string_view first, std::string_view second) {
  const size_t n = first.size() + second.size();
  liveBytes_ += n;
  char* at;
  if (n > kChunkBytes / 4) {
    // A long text gets a block of its own rather than wasting a chunk's end.
    chunks_.insert(chunks_.begin(), std::unique_ptr<char[]>(new char[n]));
    at = chunks_.front().get();
    keptBytes_ += n;
  } else {
    if (chunks_.empty() || chunkUsed_ + n > chunkSize_) {
      chunks_.emplace_back(new char[kChunkBytes]);
      chunkUsed_ = 0;
      chunkSize_ = kChunkBytes;
      keptBytes_ += kChunkBytes;
    }
    at = chunks_.back().get() + chunkUsed_;
    chunkUsed_ += n;
  }
  if (!first.empty()) std::memcpy(at, first.data(), first.size());
  if (!second.empty()) std::memcpy(at + first.size(), second.data(), second.size());
  return at;
}

bool NcItemList::IsRecordForm(std::string_view text) {
  // Escapes hold no '+', so the count is the same as in the text.
  const char* p = text.data();
  const char* end = p + text.size();
  uint32_t separators = 0;
#ifdef __SSE2__
  const __m128i plus = _mm_set1_epi8('+');
  while (end - p >= 16) {
    // Per-byte counts (a match is -1), summed before any byte can overflow.
    __m128i counts = _mm_setzero_si128();
    for (int round = 0; round < 255 && end - p >= 16; ++round, p += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, plus));
    }
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    separators +=
        static_cast<uint32_t>(_mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
#endif
  for (; p != end; ++p) separators += *p == '+' ? 1 : 0;
  return !text.empty() && separators + 1 >= kRecordFieldCount;
}

_NcItemData* NcItemList::Append(const String& key, const String& text, bool selected, bool uploaded,
                                const String& deviceId, bool deviceIdStored) {
  if (!IsRecordText(text)) return nullptr;
  std::string keyForm, textForm;
  bool exact = true;
  EscapeText(key.Handle(), key.Length(), keyForm, exact);
  EscapeText(text.Handle(), text.Length(), textForm, exact);
  return AppendForm(keyForm, textForm, exact, selected, uploaded, true, deviceId, deviceIdStored);
}

_NcItemData* NcItemList::AppendForm(std::string_view key, std::string_view text, bool exactText,
                                    bool selected, bool uploaded, bool plainValue,
                                    const String& deviceId, bool deviceIdStored) {
  if (!IsRecordForm(text)) return nullptr;
  _NcItemData& record = items_.emplace_back();
  record.serial = nextSerial++;
  record.selected = selected;
  record.uploaded = uploaded;
  record.builtUploaded_ = uploaded;
  record.plainValue = plainValue;
  record.exact_ = exactText;
  if (!lastDeviceId_ || !(*lastDeviceId_ == deviceId)) {
    lastDeviceId_ = std::make_unique<String>(deviceId);
    lastDeviceNumber_ = DeviceIds().Number(deviceId);
  }
  record.deviceId_ = lastDeviceNumber_;
  record.deviceIdStored = deviceIdStored;
  record.bytes_ = Keep(key, text);
  record.keyBytes_ = static_cast<uint32_t>(key.size());
  record.textBytes_ = static_cast<uint32_t>(text.size());
  ReadDateAndResult(record);
  return &record;
}

void NcItemList::AppendCopy(const _NcItemData& record) { AppendCopy(record, nextSerial++); }

void NcItemList::AppendSame(const _NcItemData& record) { AppendCopy(record, record.serial); }

void NcItemList::Swap(NcItemList& other) {
  items_.swap(other.items_);
  chunks_.swap(other.chunks_);
  std::swap(chunkUsed_, other.chunkUsed_);
  std::swap(chunkSize_, other.chunkSize_);
  std::swap(liveBytes_, other.liveBytes_);
  std::swap(keptBytes_, other.keptBytes_);
  cache_.swap(other.cache_);
  lastDeviceId_.swap(other.lastDeviceId_);
  std::swap(lastDeviceNumber_, other.lastDeviceNumber_);
}

void NcItemList::AppendCopy(const _NcItemData& record, uint64_t serial) {
  _NcItemData& copy = items_.emplace_back();
  copy.serial = serial;
  copy.selected = record.selected;
  copy.uploaded = record.uploaded;
  copy.plainValue = record.plainValue;
  copy.stored = record.stored;
  copy.deviceIdStored = record.deviceIdStored;
  copy.builtUploaded_ = record.builtUploaded_;
  copy.exact_ = record.exact_;
  copy.uidReady_ = record.uidReady_;
  copy.failed_ = record.failed_;
  copy.deviceId_ = record.deviceId_;
  copy.testDate_ = record.testDate_;
  copy.searchedFrom_ = record.searchedFrom_;
  copy.searchedTo_ = record.searchedTo_;
  copy.bytes_ = Keep(record.KeyForm(), record.TextForm());
  copy.keyBytes_ = record.keyBytes_;
  copy.textBytes_ = record.textBytes_;
  if (record.status_) copy.status_ = std::make_unique<String>(*record.status_);
  std::memcpy(copy.uid_, record.uid_, sizeof copy.uid_);
}

void NcItemList::SetKey(_NcItemData& record, const String& key) {
  std::string keyForm;
  bool exact = true;
  EscapeText(key.Handle(), key.Length(), keyForm, exact);
  liveBytes_ -= record.keyBytes_ + record.textBytes_;
  record.bytes_ = Keep(keyForm, record.TextForm());
  record.keyBytes_ = static_cast<uint32_t>(keyForm.size());
}

String NcItemList::Cell(uint32_t index, int cell) const {
  const _NcItemData& record = items_[index];
  if (cell == 0) return record.Status();
  if (!cache_) cache_.reset(new CachedRow[kCachedRows]);
  CachedRow& slot = cache_[record.serial % kCachedRows];
  if (slot.serial != record.serial) {
    slot.columns = RecordColumns();
    BuildRecordColumns(record.Text(), false, slot.columns);
    slot.serial = record.serial;
  }
  return slot.columns.cell[cell];
}

_NcItemData* NcItemList::FindBySerial(uint64_t serial) {
  const int index = IndexBySerial(serial);
  return index < 0 ? nullptr : &items_[static_cast<size_t>(index)];
}

int NcItemList::IndexBySerial(uint64_t serial) const {
  size_t low = 0, high = items_.size();
  while (low < high) {
    const size_t mid = low + (high - low) / 2;
    if (items_[mid].serial < serial) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low < items_.size() && items_[low].serial == serial ? static_cast<int>(low) : -1;
}

void NcItemList::Compact() {
  liveBytes_ = 0;
  for (const _NcItemData& r : items_) liveBytes_ += r.keyBytes_ + r.textBytes_;
  if (liveBytes_ * 2 > keptBytes_) return;  // most of the store is still in use
  std::vector<std::unique_ptr<char[]>> old;
  old.swap(chunks_);
  chunkUsed_ = chunkSize_ = liveBytes_ = keptBytes_ = 0;
  for (_NcItemData& r : items_) r.bytes_ = Keep(r.KeyForm(), r.TextForm());
}

void NcItemList::Clear() {
  items_.clear();
  chunks_.clear();
  chunkUsed_ = chunkSize_ = liveBytes_ = keptBytes_ = 0;
  if (cache_) {
    for (uint32_t i = 0; i < kCachedRows; ++i) cache_[i].serial = 0;
  }
}

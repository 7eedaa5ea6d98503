#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/string.h"

// The 15 display texts of a record row, built from its record text.
struct RecordColumns {
  static constexpr int kCount = 15;
  String cell[kCount];
};

// Builds the row of `text`: fields split at '+' and trimmed, units added, time
// and location formatted; column 0 is "已上传" when `uploaded`. False (columns
// untouched) for a text with fewer than 15 fields, which is not a record.
bool BuildRecordColumns(const String& text, bool uploaded, RecordColumns& columns);
// The test time of a record text: its first field, trimmed (its usual key).
String RecordTestTime(const String& text);
// Whether `text` has the 15 fields of a record (the test BuildRecordColumns makes).
bool IsRecordText(const String& text);

// One test record as the program holds it: one per row of the record list.
// Compact, as a station keeps years of them: the key and record text sit in
// the owning list's byte store in stored form (store/stored_value.h), the
// display texts are built when asked for and the hash is computed once, on
// first use. Belongs to the UI thread once appended.
struct _NcItemData {
  _NcItemData()
      : selected(false),
        uploaded(false),
        plainValue(true),
        stored(true),
        deviceIdStored(false),
        builtUploaded_(false),
        exact_(true),
        uidReady_(false),
        failed_(false) {}

  // Increases with every record built in this run, so work done elsewhere (an
  // upload) can find its record again, or learn that it was deleted meanwhile.
  uint64_t serial = 0;
  bool selected : 1;  // the row's check state, mirrored in the database
  bool uploaded : 1;  // the stored "uploaded" flag as last written or read
  // Its stored value is exactly what the program writes for this text and
  // these flags, so a flag change can be written from memory.
  bool plainValue : 1;
  // The record is in the database under Key() (false while it waits to be stored).
  bool stored : 1;
  // Its stored value names the device ID it was captured under ("deviceid");
  // without, it was given the station's ID when it was loaded.
  bool deviceIdStored : 1;

  String Key() const;   // the test time, or the key it is stored under
  String Text() const;  // the record text as received or stored
  // The same in stored form; ExactForm: the text's form is the stored bytes.
  std::string_view KeyForm() const { return {bytes_, keyBytes_}; }
  std::string_view TextForm() const { return {bytes_ + keyBytes_, textBytes_}; }
  bool ExactForm() const { return exact_; }
  // The test day from the test time, as yyyymmdd (0 when the time has no
  // six leading digits), and whether the result field says the sample failed.
  uint32_t TestDate() const { return testDate_; }
  bool Failed() const { return failed_; }
  // The part of TextForm() from field 7 (place) to field 13 (sample name):
  // every field the search box looks at.
  std::string_view SearchedForm() const {
    return TextForm().substr(searchedFrom_, searchedTo_ - searchedFrom_);
  }
  // The record hash with the record's device ID: 40 uppercase hexadecimal digits.
  String Uid() const;
  // The device ID the record was captured under (or, when its value names
  // none, the station's ID when it was loaded). Its trace code and uploads use it.
  String DeviceId() const;
  // Its first 12 digits, in lower case (the trace code, for searching).
  void TraceDigits(char digits[12]) const;
  // The row's display texts; column 0 is Status().
  RecordColumns Columns() const;
  // Column 0: an upload reply or a storage note when one was set, otherwise
  // "已上传" when the record was uploaded as the row was built.
  String Status() const;
  void SetStatus(const String& text);

 private:
  friend class NcItemList;
  void ComputeUid() const;
  bool builtUploaded_ : 1;
  bool exact_ : 1;
  mutable bool uidReady_ : 1;
  bool failed_ : 1;
  uint16_t deviceId_ = 0;  // the device ID's number in the process's table
  uint32_t testDate_ = 0;
  uint16_t searchedFrom_ = 0;
  uint16_t searchedTo_ = 0;
  const char* bytes_ = nullptr;  // key then text, in the list's byte store
  uint32_t keyBytes_ = 0;
  uint32_t textBytes_ = 0;
  std::unique_ptr<String> status_;  // set by SetStatus
  mutable uint8_t uid_[20] = {};
};

// The records of the record list, in list order. Records are appended at the
// end, removed in one pass, and freed together. Not thread-safe; one owner.
class NcItemList {
 public:
  NcItemList();
  ~NcItemList();
  NcItemList(const NcItemList&) = delete;
  NcItemList& operator=(const NcItemList&) = delete;

  uint32_t Count() const { return static_cast<uint32_t>(items_.size()); }
  _NcItemData& operator[](uint32_t i) { return items_[i]; }
  const _NcItemData& operator[](uint32_t i) const { return items_[i]; }
  _NcItemData* Element(uint32_t i) { return &items_[i]; }
  const _NcItemData* Element(uint32_t i) const { return &items_[i]; }

  // Appends the record of `text` stored under `key`, its hash to be computed
  // with `deviceId`. Null (nothing appended) when the text is not a record.
  _NcItemData* Append(const String& key, const String& text, bool selected, bool uploaded,
                      const String& deviceId, bool deviceIdStored = false);
  // The same with key and text already in stored form (`exactText`: the
  // text's form is exact), and whether the stored value is the program's own
  // form of them (plainValue).
  _NcItemData* AppendForm(std::string_view key, std::string_view text, bool exactText,
                          bool selected, bool uploaded, bool plainValue, const String& deviceId,
                          bool deviceIdStored = false);
  void SetKey(_NcItemData& record, const String& key);
  // Appends a copy of `record` (of another list): everything but its serial.
  // For work on another thread, which must not read a list that grows.
  void AppendCopy(const _NcItemData& record);
  // The same, keeping the record's serial: for a list built on another
  // thread to take this one's place (Swap), the same records in it.
  void AppendSame(const _NcItemData& record);
  // Exchanges the two lists' records (no record moves).
  void Swap(NcItemList& other);

  // One display text of row `index`, from a small cache of built rows (the
  // rows on screen are asked for again and again while painting).
  String Cell(uint32_t index, int cell) const;

  // The record of `serial` (serials grow along the list), or null / -1.
  _NcItemData* FindBySerial(uint64_t serial);
  int IndexBySerial(uint64_t serial) const;

  // Removes every record `remove` accepts in one pass, keeping the order of
  // the rest; returns how many went.
  template <class Predicate>
  uint32_t RemoveIf(Predicate remove) {
    size_t kept = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
      if (remove(static_cast<const _NcItemData&>(items_[i]))) continue;
      if (kept != i) items_[kept] = std::move(items_[i]);
      ++kept;
    }
    const uint32_t removed = static_cast<uint32_t>(items_.size() - kept);
    items_.resize(kept);
    if (removed) Compact();
    return removed;
  }
  void Clear();

  // IsRecordText for a text in stored form.
  static bool IsRecordForm(std::string_view text);

 private:
  const char* Keep(std::string_view first, std::string_view second);
  void AppendCopy(const _NcItemData& record, uint64_t serial);
  static void ReadDateAndResult(_NcItemData& record);
  // Moves the bytes of the remaining records together once many were removed.
  void Compact();

  std::deque<_NcItemData> items_;
  std::vector<std::unique_ptr<char[]>> chunks_;  // the byte store
  size_t chunkUsed_ = 0;
  size_t chunkSize_ = 0;
  size_t liveBytes_ = 0;
  size_t keptBytes_ = 0;
  struct CachedRow {
    uint64_t serial = 0;
    RecordColumns columns;
  };
  mutable std::unique_ptr<CachedRow[]> cache_;
  std::unique_ptr<String> lastDeviceId_;  // the device ID of the last append and its number
  uint16_t lastDeviceNumber_ = 0;
};

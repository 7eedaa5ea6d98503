#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "base/list.h"
#include "base/string.h"
#include "store/nc_item_data.h"
#include "store/record_db.h"

// What an upload needs of one ticked record, copied on the UI thread so the
// worker never touches the live record list.
struct UploadRecord {
  uint64_t serial = 0;  // finds the record again when a reply comes back
  String key;
  String uid;
  String deviceId;  // the ID the record was captured under (its uid is made with it)
  String columns[15];
  String data;  // the stored "data" text
};

// What an upload needs of one record.
UploadRecord MakeUploadRecord(const _NcItemData& record);

// The ticked records from the bottom of the list to the top that are still
// stored, in upload order, with the text as stored. UI thread.
std::vector<UploadRecord> TakeUploadSnapshot(const NcItemList& records, RecordDb& db);

// The records grouped by the device ID they were captured under, in the order
// the IDs first appear, each group in the given order.
std::vector<std::vector<UploadRecord>> GroupByDeviceId(const std::vector<UploadRecord>& records);

// The report of a finished TCP upload: "已成功上传 %d 条数据!", a line with the
// records the server never answered and one with the accepted records whose
// flag could not be stored, when there are any.
String UploadReport(int accepted, int unanswered, int unstored = 0);

// What the upload workers report; every call may come from a worker thread.
class UploadHost {
 public:
  virtual ~UploadHost() = default;
  // A server answer for the record of `serial`: `text` for column 0, and
  // whether the record is now uploaded (stored flag to be set).
  virtual void ShowUploadReply(uint64_t serial, const String& key, const String& text,
                               bool accepted) = 0;
  virtual void ShowUploadMessage(const String& text, bool error) = 0;
  // A TCP upload has ended normally: records the server accepted, and sent
  // records it never answered. Shown as UploadReport unless a host does more.
  virtual void ShowUploadResult(int accepted, int unanswered) {
    ShowUploadMessage(UploadReport(accepted, unanswered), false);
  }
  // Frames sent so far of `total`; called after every frame, so it must be cheap.
  virtual void ShowUploadProgress(int sent, int total) {
    (void)sent;
    (void)total;
  }
};

// How the window ends a running upload early. Stop (the operator's stop
// button): no further frame is sent, replies are still collected and reported.
// Abort (the window is closing): everything ends as soon as it can, and
// nothing is reported. Both are seen within a few tens of milliseconds.
class UploadAbort {
 public:
  void Request() {
    requested_ = true;
    stop_ = true;
  }
  bool Requested() const { return requested_; }
  void RequestStop() { stop_ = true; }
  bool StopRequested() const { return stop_; }
  const std::atomic<bool>& StopFlag() const { return stop_; }

 private:
  std::atomic<bool> requested_{false};
  std::atomic<bool> stop_{false};
};

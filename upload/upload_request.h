#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
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
  String columns[15];
  String data;  // the stored "data" text
};

// The ticked records from the bottom of the list to the top whose stored
// record can be read, in upload order. UI thread.
std::vector<UploadRecord> TakeUploadSnapshot(ObjectList<_NcItemData>& records, RecordDb& db);

// What the upload workers report; every call may come from a worker thread.
class UploadHost {
 public:
  virtual ~UploadHost() = default;
  // A server answer for the record of `serial`: `text` for column 0, and
  // whether the record is now uploaded (stored flag to be set).
  virtual void ShowUploadReply(uint64_t serial, const String& key, const String& text,
                               bool accepted) = 0;
  virtual void ShowUploadMessage(const String& text, bool error) = 0;
};

// Lets the window end a running upload early (it is closing): the worker
// stops sending, and the open connection is shut down so no wait lasts.
class UploadAbort {
 public:
  void Request();
  bool Requested() const { return requested_; }
  const std::atomic<bool>& Flag() const { return requested_; }
  // The worker's connection while it is open (under a lock, so a shut-down
  // never reaches a descriptor that was closed and reused).
  void Attach(int socket);
  void Detach();

 private:
  std::atomic<bool> requested_{false};
  std::mutex mutex_;
  int socket_ = -1;
};

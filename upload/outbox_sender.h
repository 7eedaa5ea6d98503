#pragma once

#include <cstddef>
#include <vector>

#include "base/string.h"
#include "store/outbox.h"
#include "store/record_db.h"
#include "upload/http_upload.h"
#include "upload/tcp_upload.h"
#include "upload/upload_request.h"

// Where the outbox's records go: the TCP or the HTTP server, as "上传" sends.
struct UploadTarget {
  bool tcp = true;
  TcpUploadSettings tcpSettings;
  HttpUploadSettings httpSettings;
};

// Where an accepted record's "uploaded" flag is stored: the window's record
// list (which stores it in the database), or the database itself.
class UploadFlagStore {
 public:
  virtual ~UploadFlagStore() = default;
  // Stores the flag of each record; true once every one is stored. Called
  // on the sending worker.
  virtual bool StoreUploaded(const std::vector<UploadRecord>& accepted) = 0;
  // The server refused the record with `why` (its first column shows it).
  virtual void ShowRejected(const UploadRecord& record, const String& why) {
    (void)record;
    (void)why;
  }
};

// Stores the flags straight in the record database (no window).
class DatabaseFlagStore : public UploadFlagStore {
 public:
  explicit DatabaseFlagStore(RecordDb& db) : db_(db) {}
  bool StoreUploaded(const std::vector<UploadRecord>& accepted) override;

 private:
  RecordDb& db_;
};

// What one round of the outbox did.
struct OutboxRound {
  int sent = 0;      // records sent to the server
  int accepted = 0;  // accepted and taken out of the queue
  int rejected = 0;  // refused by the server (or not sendable): out, with why
  int gone = 0;      // deleted meanwhile, or uploaded already: taken out
  // The server could not be reached, dropped the connection or left records
  // unanswered, or a flag could not be stored: what is left is tried again later.
  bool retry = false;
  String failure;  // why, in Chinese
};

// One round: the oldest `batch` queued records are read from `db`, sent in
// queue order over one connection (one post for HTTP), and each accepted one
// has its flag stored before it leaves the queue, so a record whose
// acceptance was stored is never sent again. A record already flagged as
// uploaded is not sent. `stationId` is the device ID of records that name
// none. Runs on the calling worker; `abort` ends it within tens of ms.
OutboxRound SendOutboxRound(Outbox& outbox, RecordDb& db, const String& stationId,
                            const UploadTarget& target, size_t batch, UploadFlagStore& flags,
                            UploadAbort& abort);

// The pause before the next try after `failures` failed rounds in a row:
// 5 s, doubling, at most five minutes.
int RetryDelayMs(int failures);

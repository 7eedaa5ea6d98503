#include "upload/outbox_sender.h"

#include <algorithm>

#include "store/record_store.h"
#include "upload/tcp_protocol.h"

namespace {

// Collects what the protocol code reports, per record of the round (the
// record's serial is its place in the round).
class RoundHost : public UploadHost {
 public:
  explicit RoundHost(size_t count) : replies_(count), answered_(count, false) {}

  void ShowUploadReply(uint64_t serial, const String&, const String& text, bool accepted) override {
    if (serial >= replies_.size()) return;
    answered_[serial] = true;
    replies_[serial] = accepted ? String(u"") : text;
  }
  void ShowUploadMessage(const String& text, bool error) override {
    if (error && failure_.IsEmpty()) failure_ = text;
  }
  void ShowUploadResult(int, int) override {}

  bool Answered(size_t i) const { return answered_[i]; }
  bool Accepted(size_t i) const { return answered_[i] && replies_[i].IsEmpty(); }
  const String& Reply(size_t i) const { return replies_[i]; }
  const String& Failure() const { return failure_; }

 private:
  std::vector<String> replies_;
  std::vector<bool> answered_;
  String failure_{u""};
};

}  // namespace

bool DatabaseFlagStore::StoreUploaded(const std::vector<UploadRecord>& accepted) {
  std::vector<String> keys;
  for (const UploadRecord& record : accepted) keys.push_back(record.key);
  return SetRecordsUploaded(db_, keys).ok;
}

int RetryDelayMs(int failures) {
  int delay = 5000;
  for (int i = 1; i < failures && delay < 300000; ++i) delay *= 2;
  return std::min(delay, 300000);
}

OutboxRound SendOutboxRound(Outbox& outbox, RecordDb& db, const String& stationId,
                            const UploadTarget& target, size_t batch, UploadFlagStore& flags,
                            UploadAbort& abort) {
  OutboxRound round;
  std::vector<uint64_t> gone;
  std::vector<Outbox::Entry> sending;
  std::vector<UploadRecord> records;
  for (const Outbox::Entry& entry : outbox.Front(batch)) {
    Json doc;
    if (!db.GetJson(entry.key, doc) || doc.PropertyBool(u"uploaded", false)) {
      gone.push_back(entry.number);  // deleted, or its acceptance is stored already
      continue;
    }
    NcItemList one;
    const _NcItemData* item = AppendLoadedRecord(one, entry.key, doc, stationId);
    std::string frame;
    if (!item || (target.tcp && !BuildUploadFrame(AsStoredText(item->Text()), frame))) {
      // Not a record the server can take: shown as refused, not tried again.
      UploadRecord shown;
      shown.key = entry.key;
      const String why(u"记录内容不完整，不能上传");
      if (outbox.Reject(entry.number, entry.key, why)) flags.ShowRejected(shown, why);
      ++round.rejected;
      continue;
    }
    UploadRecord record = MakeUploadRecord(*item);
    record.serial = records.size();
    records.push_back(std::move(record));
    sending.push_back(entry);
  }
  round.gone = static_cast<int>(gone.size());
  const DbStatus removed = outbox.Remove(gone);
  if (!removed) {
    round.retry = true;
    round.failure = removed.text;
  }
  if (records.empty() || abort.Requested()) return round;

  RoundHost host(records.size());
  if (target.tcp) {
    RunTcpUpload(target.tcpSettings, records, host, abort);
  } else {
    RunHttpUpload(target.httpSettings, records, host, abort);
  }
  round.sent = static_cast<int>(records.size());
  std::vector<UploadRecord> accepted;
  std::vector<uint64_t> acceptedNumbers;
  int unanswered = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (host.Accepted(i)) {
      accepted.push_back(records[i]);
      acceptedNumbers.push_back(sending[i].number);
    } else if (host.Answered(i)) {
      if (outbox.Reject(sending[i].number, records[i].key, host.Reply(i))) {
        flags.ShowRejected(records[i], host.Reply(i));
        ++round.rejected;
      }
    } else {
      ++unanswered;
    }
  }
  // The flag first: a crash between the two leaves an uploaded record queued,
  // which the next round takes out unsent.
  if (!accepted.empty() && flags.StoreUploaded(accepted)) {
    const DbStatus out = outbox.Remove(acceptedNumbers);
    round.accepted = static_cast<int>(accepted.size());
    if (!out) {
      round.retry = true;
      round.failure = out.text;
    }
  } else if (!accepted.empty()) {
    round.retry = true;
    round.failure = u"上传标记未能保存";
  }
  if (unanswered > 0) {
    round.retry = true;
    if (round.failure.IsEmpty()) round.failure = host.Failure();
    if (round.failure.IsEmpty()) round.failure.Format(u"服务器没有回复 %d 条数据", unanswered);
  }
  return round;
}

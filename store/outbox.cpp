#include "store/outbox.h"

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

// "q" and the number, zero-padded so that keys sort as the numbers do.
String QueueKey(uint64_t number) {
  char digits[24];
  std::snprintf(digits, sizeof digits, "q%020llu", static_cast<unsigned long long>(number));
  return String::FromBytes(digits, cp::kUtf8);
}

String RejectKey(const String& recordKey) { return String(u"r") + recordKey; }

}  // namespace

Outbox::Outbox(const std::string& folder, bool createIfMissing) : db_(folder, createIfMissing) {
  db_.ForEach([this](String& key, Json& doc) {
    if (key.Left(1) == String(u"q")) {
      Entry entry;
      // A damaged key reads as 0 rather than ending the program.
      entry.number = std::strtoull(key.Mid(1).ToBytes(cp::kUtf8).c_str(), nullptr, 10);
      entry.key = doc.PropertyStr(u"key", u"");
      entry.queued = doc.PropertyStr(u"queued", u"");
      next_ = entry.number + 1;
      byKey_[entry.key.ToStd()] = entry.number;
      entries_[entry.number] = entry;
    } else if (key.Left(1) == String(u"p")) {
      expected_.push_back(key.Mid(1));
    } else if (key.Left(1) == String(u"r")) {
      rejected_[key.Mid(1).ToStd()] = doc.PropertyStr(u"reply", u"");
    }
    return false;
  });
}

DbStatus Outbox::Add(const std::vector<String>& keys, const String& now, const String& expected) {
  std::lock_guard<std::mutex> hold(lock_);
  RecordDb::Batch batch;
  if (!expected.IsEmpty()) batch.Delete(String(u"p") + expected);
  std::vector<Entry> added;
  std::set<std::u16string> seen;
  uint64_t number = next_;
  for (const String& key : keys) {
    // Queued already, or twice in this call.
    if (byKey_.count(key.ToStd()) || !seen.insert(key.ToStd()).second) continue;
    Entry entry{number++, key, now};
    Json doc;
    doc.SetPropertyStr(u"key", key.Handle());
    doc.SetPropertyStr(u"queued", now.Handle());
    batch.PutJson(QueueKey(entry.number), doc);
    if (rejected_.count(key.ToStd())) batch.Delete(RejectKey(key));
    added.push_back(entry);
  }
  if (batch.IsEmpty()) return DbStatus::Ok();
  const DbStatus written = db_.Write(batch, true);
  if (!written) return written;
  next_ = number;
  for (const Entry& entry : added) {
    rejected_.erase(entry.key.ToStd());
    byKey_[entry.key.ToStd()] = entry.number;
    entries_[entry.number] = entry;
  }
  return written;
}

DbStatus Outbox::Expect(const String& testTime) {
  std::lock_guard<std::mutex> hold(lock_);
  Json doc;
  doc.SetPropertyStr(u"time", testTime.Handle());
  return db_.PutJson(String(u"p") + testTime, doc, true);
}

std::vector<String> Outbox::Expected() const {
  std::lock_guard<std::mutex> hold(lock_);
  return expected_;
}

DbStatus Outbox::ForgetExpected() {
  std::lock_guard<std::mutex> hold(lock_);
  RecordDb::Batch batch;
  for (const String& time : expected_) batch.Delete(String(u"p") + time);
  if (batch.IsEmpty()) return DbStatus::Ok();
  const DbStatus written = db_.Write(batch, true);
  if (written) expected_.clear();
  return written;
}

std::vector<Outbox::Entry> Outbox::Front(size_t count) const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<Entry> front;
  for (auto it = entries_.begin(); it != entries_.end() && front.size() < count; ++it)
    front.push_back(it->second);
  return front;
}

DbStatus Outbox::Remove(const std::vector<uint64_t>& numbers) {
  std::lock_guard<std::mutex> hold(lock_);
  RecordDb::Batch batch;
  for (const uint64_t number : numbers) batch.Delete(QueueKey(number));
  if (batch.IsEmpty()) return DbStatus::Ok();
  const DbStatus written = db_.Write(batch, true);
  if (!written) return written;
  for (const uint64_t number : numbers) {
    auto it = entries_.find(number);
    if (it == entries_.end()) continue;
    byKey_.erase(it->second.key.ToStd());
    entries_.erase(it);
  }
  return written;
}

DbStatus Outbox::Reject(uint64_t number, const String& key, const String& why) {
  std::lock_guard<std::mutex> hold(lock_);
  RecordDb::Batch batch;
  batch.Delete(QueueKey(number));
  Json doc;
  doc.SetPropertyStr(u"reply", why.Handle());
  batch.PutJson(RejectKey(key), doc);
  const DbStatus written = db_.Write(batch, true);
  if (!written) return written;
  auto it = entries_.find(number);
  if (it != entries_.end()) {
    byKey_.erase(it->second.key.ToStd());
    entries_.erase(it);
  }
  rejected_[key.ToStd()] = why;
  return written;
}

size_t Outbox::Count() const {
  std::lock_guard<std::mutex> hold(lock_);
  return entries_.size();
}

bool Outbox::Contains(const String& key) const {
  std::lock_guard<std::mutex> hold(lock_);
  return byKey_.count(key.ToStd()) > 0;
}

String Outbox::OldestQueued() const {
  std::lock_guard<std::mutex> hold(lock_);
  return entries_.empty() ? String(u"") : entries_.begin()->second.queued;
}

std::map<std::u16string, String> Outbox::Rejections() const {
  std::lock_guard<std::mutex> hold(lock_);
  return rejected_;
}

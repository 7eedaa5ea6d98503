#include "store/record_book.h"

#include <cstdio>
#include <fstream>
#include <memory>

#include "base/calendar.h"
#include "base/file_io.h"
#include "base/parallel.h"
#include "device/frame_decoder.h"
#include "store/record_store.h"

std::vector<uint32_t> RecordBook::ShownRecords() const {
  std::vector<uint32_t> rows(RowCount());
  for (uint32_t row = 0; row < rows.size(); ++row) rows[row] = view_.RecordAt(row);
  return rows;
}

DbStatus RecordBook::Load(const String& deviceId) {
  const DbStatus status = LoadRecordList(db_, records_, deviceId);
  Recount();
  NotifyReset();
  return status;
}

_NcItemData* RecordBook::Add(const String& key, const String& text, bool selected, bool uploaded,
                             const String& deviceId, bool deviceIdStored, bool stored) {
  if (frozen_) {
    deferred_.push_back(
        [=] { Add(key, text, selected, uploaded, deviceId, deviceIdStored, stored); });
    return nullptr;
  }
  _NcItemData* record = records_.Append(key, text, selected, uploaded, deviceId, deviceIdStored);
  if (!record) return nullptr;
  record->stored = stored;
  const int row = view_.Appended(records_, records_.Count() - 1);
  ++counts_.total;
  counts_.ticked += selected ? 1 : 0;
  if (row < 0) {
    Notify(Change{Change::Kind::kRows, 0, -1});  // the counts alone
    return record;
  }
  ++counts_.shown;
  counts_.shownTicked += selected ? 1 : 0;
  counts_.shownFailed += record->Failed() ? 1 : 0;
  Notify(Change{Change::Kind::kInserted, row, row});
  return record;
}

_NcItemData* RecordBook::AddWaiting(const String& testTime, const String& text,
                                    const String& deviceId, const String& stationId,
                                    const String& note) {
  if (frozen_) {
    deferred_.push_back([=] { AddWaiting(testTime, text, deviceId, stationId, note); });
    return nullptr;
  }
  const bool ownId = !deviceId.IsEmpty();
  _NcItemData* record =
      Add(testTime, text, false, false, ownId ? deviceId : stationId, ownId, false);
  if (!record) return nullptr;
  waiting_.push_back(Waiting{record->serial, testTime, text, deviceId});
  SetStatus(record->serial, note);
  return record;
}

DbStatus RecordBook::StoreWaiting(std::vector<uint32_t>* storedNow) {
  if (frozen_ && !waiting_.empty()) return DbStatus::Failed(u"正在处理记录，稍后再存");
  bool reopened = false;
  while (!waiting_.empty()) {
    const Waiting& next = waiting_.front();
    StoredRecord stored = StoreReceivedRecord(db_, next.testTime, next.text, true, next.deviceId);
    if (!stored.status && !reopened) {
      db_.Reopen();
      reopened = true;
      continue;
    }
    if (!stored.status) return stored.status;
    if (stored.duplicate) {
      // The same test came twice while the disk refused both: the first copy
      // is stored and listed, this row would show it a second time.
      Forget(next.serial);
    } else {
      MarkStored(next.serial, stored.key);
      const int index = records_.IndexBySerial(next.serial);
      if (storedNow && index >= 0) storedNow->push_back(static_cast<uint32_t>(index));
    }
    waiting_.erase(waiting_.begin());
  }
  return DbStatus::Ok();
}

bool RecordBook::SaveWaiting(const std::string& path) {
  if (waiting_.empty()) return true;
  std::string frames;
  for (const Waiting& record : waiting_) frames += ":NC" + record.text.ToBytes(cp::kGbk);
  std::ofstream file(path, std::ios::binary | std::ios::app);
  file << frames;
  file.flush();
  waiting_.clear();
  return static_cast<bool>(file);
}

void RecordBook::StoreLeftOver(const std::string& path, const String& deviceId) {
  std::string capture;
  if (!ReadWholeFile(path, capture) || capture.empty()) return;
  // The file holds whole frames as this program wrote them, names already in
  // place: the detector's decoder reads them (with no names to put in).
  bool allStored = true;
  FrameDecoder decoder;
  ProductNames none;
  decoder.SetRecordCallback([&](std::string& key, std::string& text) {
    const String data = String::FromBytes(text, cp::kGbk);
    if (!IsRecordText(data)) return;  // never stored: the list could not show it
    const StoredRecord stored =
        StoreReceivedRecord(db_, String::FromBytes(key, cp::kGbk), data, true, deviceId);
    allStored = allStored && stored.status.ok;
    if (stored.status && !stored.duplicate)
      Add(stored.key, data, false, false, deviceId, !deviceId.IsEmpty());
  });
  decoder.Replay(reinterpret_cast<const uint8_t*>(capture.data()), capture.size(), none);
  if (allStored) std::remove(path.c_str());
}

void RecordBook::MarkStored(uint64_t serial, const String& key) {
  const int index = records_.IndexBySerial(serial);
  if (index < 0) return;
  _NcItemData& record = records_[static_cast<uint32_t>(index)];
  records_.SetKey(record, key);
  record.stored = true;
  record.SetStatus(u"");
  RecordChanged(static_cast<uint32_t>(index));
}

std::vector<uint32_t> RecordBook::IndexesAfterRemoving(
    const std::function<bool(const _NcItemData&)>& removed) const {
  std::vector<uint32_t> newIndex(records_.Count(), UINT32_MAX);
  uint32_t gone = 0;
  for (uint32_t i = 0; i < records_.Count(); ++i) {
    if (removed(records_[i])) {
      ++gone;
    } else {
      newIndex[i] = i - gone;
    }
  }
  return newIndex;
}

void RecordBook::Forget(uint64_t serial) {
  if (records_.IndexBySerial(serial) < 0) return;
  const std::vector<uint32_t> newIndex =
      IndexesAfterRemoving([serial](const _NcItemData& r) { return r.serial == serial; });
  records_.RemoveIf([serial](const _NcItemData& r) { return r.serial == serial; });
  view_.Removed(newIndex);
  Recount();
  NotifyReset();
}

bool RecordBook::SetTicked(uint64_t serial, bool ticked) {
  const int index = frozen_ ? -1 : records_.IndexBySerial(serial);
  if (index < 0) return false;
  _NcItemData& record = records_[static_cast<uint32_t>(index)];
  if (record.selected == ticked) return true;
  // The row shows what is stored: a tick that cannot be stored is not made.
  if (!SetRecordSelected(db_, record.Key(), ticked)) return false;
  record.selected = ticked;
  const uint32_t change = ticked ? 1u : static_cast<uint32_t>(-1);
  counts_.ticked += change;
  if (view_.IsWhole() || RecordMatcher(view_.Filter()).Matches(record))
    counts_.shownTicked += change;
  RecordChanged(static_cast<uint32_t>(index));
  return true;
}

DbStatus RecordBook::TickShown(bool ticked) { return Finish(PrepareTickShown(ticked)).status; }

RecordBook::Prepared RecordBook::PrepareTickShown(bool ticked) {
  // With a filter, only the rows shown change.
  const std::vector<uint32_t>* shown = view_.IsWhole() ? nullptr : &view_.Rows();
  Prepared prepared;
  prepared.count = RowCount();
  prepared.status = SetRecordsSelected(db_, records_, ticked, shown);
  if (!prepared.status) return prepared;  // one write, all or none: nothing changed
  prepared.finish = [this, ticked] {
    if (view_.IsWhole()) {
      for (uint32_t i = 0; i < records_.Count(); ++i) records_[i].selected = ticked;
    } else {
      for (const uint32_t index : view_.Rows()) records_[index].selected = ticked;
    }
    Recount();
    Notify(Change{Change::Kind::kRows, 0, static_cast<int>(RowCount()) - 1});
  };
  return prepared;
}

bool RecordBook::MarkUploaded(const std::vector<std::pair<uint64_t, String>>& accepted) {
  if (accepted.empty()) return true;
  if (frozen_) {
    deferred_.push_back([this, accepted] { MarkUploaded(accepted); });
    return true;
  }
  std::vector<String> keys;
  for (const auto& record : accepted) keys.push_back(record.second);
  const bool stored = SetRecordsUploaded(db_, keys).ok;
  std::vector<uint32_t> changed;
  for (const auto& record : accepted) {
    const int index = records_.IndexBySerial(record.first);
    if (index < 0) continue;  // deleted meanwhile
    _NcItemData& item = records_[static_cast<uint32_t>(index)];
    if (stored) item.uploaded = true;
    item.SetStatus(stored ? String(u"已上传") : String(u"已上传，标记未保存"));
    changed.push_back(static_cast<uint32_t>(index));
  }
  // Under an upload-state filter a record may now belong to the rows shown,
  // or no longer: the rows follow the flags, and so do the counts.
  if (view_.Changed(records_, changed)) {
    Recount();
    NotifyReset();
  } else if (view_.IsWhole()) {
    for (const uint32_t index : changed) RecordChanged(index);
  } else if (!changed.empty()) {
    Notify(Change{Change::Kind::kRows, 0, static_cast<int>(RowCount()) - 1});
  }
  return stored;
}

DbStatus RecordBook::DeleteTicked(uint32_t& removed) {
  const Prepared deleted = Finish(PrepareDeleteTicked());
  removed = deleted.status ? deleted.count : 0;
  return deleted.status;
}

RecordBook::Prepared RecordBook::PrepareDeleteTicked() {
  Prepared prepared;
  // The records that stay, in a list of their own that takes the place of
  // the old one at the finish: at a million records, removing them where
  // they are would hold the window for a while. Made while the database
  // changes (both only read the records).
  auto newIndex = std::make_shared<std::vector<uint32_t>>();
  auto list = std::make_shared<NcItemList>();
  auto keep = [&] {
    *newIndex = IndexesAfterRemoving([](const _NcItemData& r) { return r.selected; });
    for (uint32_t i = 0; i < records_.Count(); ++i) {
      if (!records_[i].selected) list->AppendSame(records_[i]);
    }
  };
  auto remove = [&] {
    if (!bin_) {
      prepared.status = DeleteSelectedFromDb(records_, db_, prepared.count);
      return;
    }
    // Values in the program's own form are made from the list: no reads.
    std::vector<RecycleBin::Leaving> leaving;
    for (uint32_t i = 0; i < records_.Count(); ++i) {
      const _NcItemData& record = records_[i];
      if (!record.selected || !record.stored) continue;
      leaving.push_back({StoredKeyBytes(record), std::string()});
      StoredValueBytes(record, leaving.back().value);
    }
    prepared.status = bin_->MoveIn(leaving, LocalNowText(), prepared.count);
  };
  RunInTwoHalves(2, 1, [&](int part, size_t, size_t) { part == 0 ? remove() : keep(); });
  if (!prepared.status) {
    // One write, all or none: every row stays.
    prepared.leftover = list;
    return prepared;
  }
  prepared.finish = [this, list, newIndex] {
    records_.Swap(*list);  // `list` holds the old records now
    view_.Removed(*newIndex);
    Recount();
    NotifyReset();
  };
  prepared.leftover = list;
  return prepared;
}

RecordBook::Prepared RecordBook::PrepareRestore(const std::vector<std::string>& ids,
                                                const String& deviceId,
                                                std::vector<std::string>* clashes) {
  Prepared prepared;
  if (!bin_) return prepared;
  std::vector<RecycleBin::Entry> restored;
  prepared.status = bin_->MoveOut(ids, restored, clashes);
  if (!prepared.status) return prepared;
  prepared.count = static_cast<uint32_t>(restored.size());
  auto list = std::make_shared<NcItemList>();
  StoredEntryReader reader(deviceId);
  for (const RecycleBin::Entry& entry : restored) {
    reader.Append(*list, entry.key.data(), entry.key.size(), entry.value.data(),
                  entry.value.size());
  }
  prepared.finish = [this, list] {
    for (uint32_t i = 0; i < list->Count(); ++i) {
      records_.AppendCopy((*list)[i]);
      view_.Appended(records_, records_.Count() - 1);
    }
    Recount();
    NotifyReset();
  };
  prepared.leftover = list;
  return prepared;
}

RecordBook::Prepared RecordBook::PrepareReload(const String& deviceId) {
  Prepared prepared;
  auto list = std::make_shared<NcItemList>();
  prepared.status = LoadRecordList(db_, *list, deviceId);
  prepared.count = list->Count();
  auto view = std::make_shared<RecordView>();
  view->SetFilter(*list, view_.Filter());
  view->SetSort(*list, view_.SortColumn(), view_.SortDescending());
  prepared.finish = [this, list, view] {
    records_.Swap(*list);
    view_ = std::move(*view);
    Recount();
    NotifyReset();
  };
  prepared.leftover = list;
  return prepared;
}

DbStatus RecordBook::KeepDeviceIds() { return Finish(PrepareKeepDeviceIds()).status; }

RecordBook::Prepared RecordBook::PrepareKeepDeviceIds() {
  auto stamped = std::make_shared<std::vector<uint32_t>>();
  Prepared prepared;
  prepared.status = StoreDeviceIds(db_, records_, *stamped);
  prepared.count = static_cast<uint32_t>(stamped->size());
  prepared.finish = [this, stamped] {
    for (const uint32_t i : *stamped) records_[i].deviceIdStored = true;
  };
  return prepared;
}

void RecordBook::SetStatus(uint64_t serial, const String& text) {
  if (frozen_) {
    deferred_.push_back([=] { SetStatus(serial, text); });
    return;
  }
  const int index = records_.IndexBySerial(serial);
  if (index < 0) return;  // deleted meanwhile
  records_[static_cast<uint32_t>(index)].SetStatus(text);
  RecordChanged(static_cast<uint32_t>(index));
}

void RecordBook::SetFilter(const RecordFilter& filter) {
  if (frozen_) return WhenThawed([=] { SetFilter(filter); });
  Finish(PrepareFilter(filter));
}

void RecordBook::SetSort(int column, bool descending) {
  if (frozen_) return WhenThawed([=] { SetSort(column, descending); });
  Finish(PrepareSort(column, descending));
}

void RecordBook::ResetView() {
  if (frozen_) return WhenThawed([this] { ResetView(); });
  ShowView(RecordView());
}

RecordBook::Prepared RecordBook::PrepareFilter(const RecordFilter& filter) {
  RecordView view = view_;
  view.SetFilter(records_, filter);
  return PrepareView(std::move(view));
}

RecordBook::Prepared RecordBook::PrepareSort(int column, bool descending) {
  RecordView view = view_;
  view.SetSort(records_, column, descending);
  return PrepareView(std::move(view));
}

RecordBook::Prepared RecordBook::PrepareView(RecordView view) {
  // The counts too: at a million rows in a sorted order they take a while.
  auto shown = std::make_shared<std::pair<RecordView, Counts>>(std::move(view), Counts());
  shown->second = CountsFor(shown->first);
  Prepared prepared;
  prepared.count = shown->second.shown;
  prepared.finish = [this, shown] {
    view_ = std::move(shown->first);
    counts_ = shown->second;
    NotifyReset();
  };
  return prepared;
}

RecordBook::Prepared RecordBook::Finish(Prepared prepared) {
  if (prepared.finish) prepared.finish();
  return prepared;
}

void RecordBook::ShowView(RecordView view) {
  view_ = std::move(view);
  Recount();
  NotifyReset();
}

void RecordBook::WhenThawed(std::function<void()> change) {
  if (frozen_) {
    deferred_.push_back(std::move(change));
  } else {
    change();
  }
}

void RecordBook::Thaw() {
  if (frozen_ == 0 || --frozen_ > 0) return;
  // A change made now may be deferred again only by a freeze it starts.
  std::vector<std::function<void()>> changes;
  changes.swap(deferred_);
  for (size_t i = 0; i < changes.size(); ++i) {
    if (frozen_) {
      deferred_.insert(deferred_.begin(), changes.begin() + static_cast<ptrdiff_t>(i),
                       changes.end());
      return;
    }
    changes[i]();
  }
}

void RecordBook::ThawAll() {
  if (frozen_ == 0) return;
  frozen_ = 1;
  Thaw();
}

void RecordBook::Recount() { counts_ = CountsFor(view_); }

RecordBook::Counts RecordBook::CountsFor(const RecordView& view) const {
  Counts counts;
  counts.total = records_.Count();
  for (uint32_t i = 0; i < records_.Count(); ++i) counts.ticked += records_[i].selected ? 1 : 0;
  counts.shown = view.RowCount(records_);
  for (uint32_t row = 0; row < counts.shown; ++row) {
    const _NcItemData& record = records_[view.RecordAt(row)];
    counts.shownTicked += record.selected ? 1 : 0;
    counts.shownFailed += record.Failed() ? 1 : 0;
  }
  return counts;
}

void RecordBook::Notify(const Change& change) {
  if (listener_) listener_(change);
}

void RecordBook::NotifyReset() { Notify(Change{Change::Kind::kReset, 0, -1}); }

void RecordBook::RecordChanged(uint32_t index) {
  if (view_.IsWhole()) {
    Notify(Change{Change::Kind::kRows, static_cast<int>(index), static_cast<int>(index)});
  } else {
    // Finding the row would cost a look through every row shown, for each of
    // many upload replies: every row shown is said to have changed instead
    // (the list paints only those on screen).
    Notify(Change{Change::Kind::kRows, 0, static_cast<int>(RowCount()) - 1});
  }
}

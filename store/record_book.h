#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "base/string.h"
#include "store/nc_item_data.h"
#include "store/record_db.h"
#include "store/record_filter.h"
#include "store/record_view.h"
#include "store/recycle_bin.h"

// The station's records as the window shows them: the list, the rows shown
// (filter and sort), the counts of the status bar, and every change of a
// record: a tick, an upload reply, a deletion, a new record. Each change is
// stored first and only then made in memory; the rows shown and the counts
// are checked again by the book after every change, and one listener hears
// which rows changed. Plain logic, no widgets; UI thread only, but for the
// Prepare functions (see Freeze). The database is not owned.
class RecordBook {
 public:
  // What changed for the list: every row (kReset), one new row, or a range
  // of rows whose texts or boxes changed. The counts may have changed with any.
  struct Change {
    enum class Kind { kReset, kInserted, kRows };
    Kind kind = Kind::kReset;
    int first = 0;
    int last = -1;
  };
  using Listener = std::function<void(const Change&)>;

  struct Counts {
    uint32_t total = 0;
    uint32_t shown = 0;
    uint32_t ticked = 0;
    uint32_t shownTicked = 0;
    uint32_t shownFailed = 0;
  };

  // A change prepared on a worker and made in memory by `finish` on the UI
  // thread (null: nothing to make). `count`: the records it concerns;
  // `leftover`: what the change let go of, for a worker to free once
  // `finish` has run (a long list's memory takes long to give back).
  struct Prepared {
    DbStatus status{true, String(u"")};
    uint32_t count = 0;
    std::function<void()> finish;
    std::shared_ptr<void> leftover;
  };

  explicit RecordBook(RecordDb& db) : db_(db) {}
  RecordBook(const RecordBook&) = delete;
  RecordBook& operator=(const RecordBook&) = delete;

  void SetListener(Listener listener) { listener_ = std::move(listener); }
  // Deleted records go into `bin` (kept for a restore) instead of going for
  // good. Not owned.
  void SetRecycleBin(RecycleBin* bin) { bin_ = bin; }

  const NcItemList& Records() const { return records_; }
  const RecordView& View() const { return view_; }
  const Counts& GetCounts() const { return counts_; }
  uint32_t RowCount() const { return view_.RowCount(records_); }
  uint32_t RecordAt(uint32_t row) const { return view_.RecordAt(row); }
  // The indexes of the records shown, in the order shown.
  std::vector<uint32_t> ShownRecords() const;

  // The start-up load (every stored record, in key order).
  DbStatus Load(const String& deviceId);
  // A record stored already (or, with `stored` false, waiting to be): listed
  // at the end, shown where the filter and sort put it. Null when the text
  // is not a record.
  _NcItemData* Add(const String& key, const String& text, bool selected, bool uploaded,
                   const String& deviceId, bool deviceIdStored, bool stored = true);
  // Records received while the database refused them (a full disk): listed
  // with `note` in their first column and kept in a queue, in arrival order,
  // until StoreWaiting gets them in.
  // `deviceId` is the ID it was captured under (empty: none, and
  // `stationId` is used for its row).
  _NcItemData* AddWaiting(const String& testTime, const String& text, const String& deviceId,
                          const String& stationId, const String& note);
  size_t WaitingCount() const { return waiting_.size(); }
  // Stores what waits, in arrival order, up to the first record the database
  // still refuses (failed, with why). leveldb keeps refusing after one failed
  // write until it is opened again, so a refusal is tried once more after a
  // reopen. Ok when nothing is left waiting. While frozen nothing is tried.
  // `stored`, when given, gets the records now stored (their indexes).
  DbStatus StoreWaiting(std::vector<uint32_t>* stored = nullptr);
  // At close: what still waits is appended to `path` as raw detector frames
  // (":NC" and the record text), which StoreLeftOver stores at the next start.
  bool SaveWaiting(const std::string& path);
  // Stores and lists the records of such a file (captured under `deviceId`),
  // and removes the file once every one of them is in.
  void StoreLeftOver(const std::string& path, const String& deviceId);

  // The box of one record; false (nothing changed) when it cannot be stored.
  bool SetTicked(uint64_t serial, bool ticked);
  // "全选": the rows shown (every record without a filter), in one write.
  DbStatus TickShown(bool ticked);
  // Records the server accepted: their "uploaded" flags in one write, then
  // their first column ("已上传", or a note when the flags could not be
  // stored). False when the write failed.
  bool MarkUploaded(const std::vector<std::pair<uint64_t, String>>& accepted);
  // Deletes every ticked record, in one write; `removed` says how many.
  DbStatus DeleteTicked(uint32_t& removed);
  // Writes the device ID of each record into the stored values that name none.
  DbStatus KeepDeviceIds();

  // Column 0 of one record (an upload reply, a storage note).
  void SetStatus(uint64_t serial, const String& text);

  void SetFilter(const RecordFilter& filter);
  void SetSort(int column, bool descending);
  void ResetView();

  // Work that takes long at a million records runs on a worker over the
  // frozen book: while frozen the records and the rows shown stay as they
  // are (any thread may read them), and a change asked for meanwhile (a new
  // record, an upload reply, a view) is kept and made at the thaw, in the
  // order asked; a tick is refused. Freeze and Thaw nest; UI thread.
  void Freeze() { ++frozen_; }
  void Thaw();
  // At close: thawed whatever is still frozen.
  void ThawAll();
  bool IsFrozen() const { return frozen_ > 0; }
  // Runs `change` now, or at the thaw.
  void WhenThawed(std::function<void()> change);

  // The two halves of the long changes. Prepare reads the frozen records and
  // writes the database (any thread); `finish` runs on the UI thread while
  // the book is still frozen. Finish(Prepare...) is the change made at once.
  Prepared PrepareFilter(const RecordFilter& filter);
  Prepared PrepareSort(int column, bool descending);
  Prepared PrepareTickShown(bool ticked);
  Prepared PrepareDeleteTicked();
  // Puts the recycle bin's entries `ids` back and lists them (`deviceId`:
  // the station's, for records that name none); `clashes` gets the entries
  // left in the bin because a record is stored under their key again.
  Prepared PrepareRestore(const std::vector<std::string>& ids, const String& deviceId,
                          std::vector<std::string>* clashes = nullptr);
  Prepared PrepareKeepDeviceIds();
  // Every record read again from the database (another one was put in its
  // place), shown under the same filter and order. Refuse it while records
  // wait to be stored.
  Prepared PrepareReload(const String& deviceId);
  static Prepared Finish(Prepared prepared);

 private:
  void Recount();
  Counts CountsFor(const RecordView& view) const;
  Prepared PrepareView(RecordView view);
  // A record that waited is stored now, under `key`.
  void MarkStored(uint64_t serial, const String& key);
  // Takes a record out of the list only (it is another row's record).
  void Forget(uint64_t serial);
  // Where each record goes when those `removed` accepts leave the list
  // (UINT32_MAX for those), as RecordView::Removed wants it.
  std::vector<uint32_t> IndexesAfterRemoving(
      const std::function<bool(const _NcItemData&)>& removed) const;
  // A new view of the records, as prepared.
  void ShowView(RecordView view);
  void Notify(const Change& change);
  void NotifyReset();
  // Record `index` changed in its texts or box.
  void RecordChanged(uint32_t index);

  RecordDb& db_;
  RecycleBin* bin_ = nullptr;
  NcItemList records_;
  RecordView view_;
  Counts counts_;
  Listener listener_;
  struct Waiting {
    uint64_t serial;  // its row
    String testTime;  // the key it asks for
    String text;
    String deviceId;  // the ID it was captured under
  };
  std::vector<Waiting> waiting_;
  int frozen_ = 0;
  std::vector<std::function<void()>> deferred_;
};

#pragma once

#include <QCoreApplication>
#include <QDate>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/serial_link.h"
#include "app/settings.h"
#include "app/window_job.h"
#include "app/window_pos_store.h"
#include "base/list.h"
#include "device/frame_decoder.h"
#include "device/port_list.h"
#include "output/label_delivery.h"
#include "output/print_job.h"
#include "store/nc_item_data.h"
#include "store/record_book.h"
#include "store/record_db.h"
#include "store/record_view.h"
#include "ui/notification.h"
#include "ui/record_list.h"
#include "ui/skin.h"
#include "upload/outbox_worker.h"
#include "upload/upload_request.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

// How long the window waits for peers and paces its work; tests shorten them.
struct MainFrameTiming {
  int pendingRetryMs = 3000;   // records the database refused are tried again
  int printIntervalMs = 3000;  // one label every three seconds
  LabelTimeouts labelTimeouts;
  int uploadConnectTimeoutMs = 10000;
  int uploadIdleTimeoutMs = 5000;
  // From this many records on, sorting, finding, "全选", deleting and the
  // statistics run on a worker over the frozen record book; shorter lists
  // are done at once.
  uint32_t bookWorkerFrom = 20000;
  int serverCheckMs = 5000;  // "测试连接" gives up after this
  size_t outboxBatch = 0;    // records per automatic upload round; 0: the worker's own
  // The automatic backup at close is given up (and removed) after this.
  std::chrono::milliseconds closingBackup{30000};
};

// Where the window finds its files. The defaults are the program's: the skin
// beside the executable, the database and the capture file in the current folder.
struct MainFrameOptions {
  QString skinFolder;
  // The day the date shortcuts ("今天", "近7天", "本月") count from; invalid:
  // the system's date (tests fix it).
  QDate today;
  std::string storageFolder = "storage";
  std::string capturePath = "data.txt";
  // Lists the serial ports (tests replace it); empty: the system's ports and
  // the settings' "extra_ports", in the program's order.
  std::function<void(ObjectList<SSerInfo>& ports)> scanPorts;
  MainFrameTiming timing;
  // A start without a settings file offers the first-start guide.
  bool firstStartGuide = true;
  // Tests: gets the operations log's table instead of the dialog being shown.
  std::function<void(class QTableWidget&)> operationsLogShown;
  // Tests: the recycle bin's dialog, filled, instead of showing it.
  std::function<void(class QDialog&)> recycleBinShown;
};

// The main window. Owns all running state: settings, the record database, the
// records and their list, the frame decoder, the ports and the serial link.
// Built from the skin; every operator action arrives at Notify. UI thread,
// except the SerialLinkHost calls, which may come from the receive thread and
// are passed on to the UI thread in order.
class MainFrameWnd : public QWidget,
                     public NotifySink,
                     public SerialLinkHost,
                     public UploadHost,
                     private RecordRowSource {
  Q_DECLARE_TR_FUNCTIONS(MainFrameWnd)

 public:
  explicit MainFrameWnd(const MainFrameOptions& options);
  ~MainFrameWnd() override;

  // Builds the window from "skin.xml" and runs InitWindow. False, with the
  // reason, when the skin cannot be built or lacks a control the program uses.
  bool Create(QString* error);
  // Centres the window on its screen's work area and shows it.
  void CenterAndShow();

  void Notify(const Notification& notification) override;

  void ShowPortStatus(const String& text, bool good) override;
  void ShowDatabaseError(const String& statusText) override;
  void HandOverRecord(const String& key, const String& text, bool stored, bool duplicate,
                      const String& deviceId) override;
  int PendingRecordCount() const { return static_cast<int>(book_.WaitingCount()); }

  // Builds a record from `text` and appends it and its row; `storedKey` is the
  // key it is stored under when that is not its test time, `deviceId` the ID
  // its stored value names (empty: none, the station's ID is used). Null when
  // the text is not a record.
  _NcItemData* AddRecordRow(bool selected, bool uploaded, const String& text,
                            const String* storedKey = nullptr,
                            const String& deviceId = String(u""));
  void OnRecordCheckClicked(_NcItemData* record);
  void OnSelectAllChanged(QCheckBox* box);
  void ReplayCaptureFile();

  // Export, labels, deletion. The export offers the text file (every
  // record), CSV and XLSX (the rows shown); those and the results notice
  // ("公示单", a PDF of the rows shown) are written on a worker.
  void ExportRecords();
  void SaveResultsNotice();
  void StopOutput();
  bool IsWritingOutput() const { return outputJob_.IsActive(); }
  // Work over the records on a worker (sorting, "全选", ...) has not ended.
  bool IsBookBusy() const { return book_.IsFrozen(); }
  // The statistics page ("统计") over the rows shown.
  void ShowStatistics();
  void PrintSelectedRecords();
  void DeleteSelectedRecords();
  // "回收站": the deleted records, to put back or remove for good.
  void ShowRecycleBin();
  // Ends a running print job: the label in flight is abandoned (not counted)
  // and the usual report follows.
  void StopPrintJob();
  bool IsPrinting() const { return printJob_.IsRunning(); }

  // Upload and the trace page.
  void UploadSelectedRecords();
  void OpenTracePage();
  bool IsUploading() const { return uploadJob_.IsRunning(); }
  // The operator's stop: no further frame is sent; replies still count.
  void StopUploadSending();
  void ShowUploadReply(uint64_t serial, const String& key, const String& text,
                       bool accepted) override;
  void ShowUploadMessage(const String& text, bool error) override;
  void ShowUploadResult(int accepted, int unanswered) override;
  void ShowUploadProgress(int sent, int total) override;

  // The settings page and the channel table.
  void ShowSettings();
  void OnSettingsComboSelected(QComboBox* combo);
  void OnDeviceIdTextChanged();
  void SaveDeviceId();
  void DeleteDeviceId();
  void SaveProductConfig();
  void OnChannelComboSelected(int channel);
  void FillChannelCombo(QComboBox* combo);
  // The typed settings of the settings page (app/main_frame_setup_fields.cpp).
  struct SettingField {
    enum Group { kServer, kOutputs, kLabelLayout, kData };
    const char* name;  // the field's object name
    QString label;
    bool password;
    String Settings::*member;              // null: the TCP port, or a printer setting
    String (*check)(const String&);        // null: the TCP port's or a position's check
    const char16_t* printerKey = nullptr;  // a member of the "printer" object
    Group group = kServer;
    char axis = 0;  // 'x' or 'y': a position on the label, checked against its size
    uint32_t Settings::*count = nullptr;  // a whole number from 1 up to `most`
    uint32_t most = 0;
  };
  // A member of the "printer" object as its field shows it (the layout's
  // default when absent).
  static QString PrinterSetting(const Json* printer, const char16_t* key);
  void SavePrinterSetting(const char16_t* key, const String& value);
  std::vector<SettingField> SettingFields();
  void BuildSettingFields();
  void ShowSettingFields();
  void OnSettingFieldEdited(size_t index);
  // "测试连接": the configured server tried on a worker, the outcome in a box.
  void CheckServer();
  bool IsCheckingServer() const { return checkJob_.IsActive(); }
  // Whether the automatic upload's round under way holds the record of `key`.
  bool IsAutoUploadSending(const String& key) const {
    return outboxWorker_ && outboxWorker_->InFlight().count(key.ToStd()) > 0;
  }
  // "打印测试标签": a sample label through the chosen printer, on a worker.
  void PrintTestLabel();
  // The installed printer queues, listed on a worker into the chooser under
  // the printer's field; choosing one makes it the printer.
  void FindPrinterQueues();
  void OnPrinterQueueChosen(int index);
  // The sample label's picture on the settings page, as laid out now.
  void ShowLabelPreview();
  // The first start's guide (non-modal); what it saves is used at once.
  void ShowFirstStartGuide();

  // Finding records (app/main_frame_find.cpp): the filter bar over the list
  // and sorting by a click on a column header. Only the view changes.
  void ApplyFindBar();
  enum class DateShortcut { kToday, kLastSevenDays, kThisMonth };
  void SetDateRange(DateShortcut shortcut);
  void ClearFind();
  void OnHeaderClicked(int section);
  const RecordView& View() const { return book_.View(); }

  const NcItemList& Records() const { return book_.Records(); }
  const RecordBook::Counts& GetCounts() const { return book_.GetCounts(); }
  bool IsBackingUp() const { return backupJob_.IsActive(); }
  // Tests change the hooks of an open window.
  MainFrameOptions& Options() { return options_; }
  Settings& GetSettings() { return settings_; }
  RecordDb& Database() { return recordDb_; }
  RecordListView* RecordList() const { return datalist_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OpenDatabase(QString* error);
  static void OnSettingsComboNotified(MainFrameWnd& window, const Notification& n);
  void InitWindow();
  void FillPortCombo();
  void ChooseDetectorPort();
  void ListPortsInCombo();
  void ScanPorts();
  void BuildChannelRows();
  void LoadStoredRecords();
  void ShowInfoPage();
  void OnPortTimer();
  void OnPrintTimer();
  void OnLabelDelivered(uint64_t job, bool delivered, const String& error);
  void EndPrintJob(bool failed);
  void UpdatePrintProgress();
  void OnUploadEnded();
  enum class OutputKind { kText, kCsv, kXlsx, kNotice };
  void StartOutput(OutputKind kind, const QString& path);
  // False, after saying why, when `path` is a device, a FIFO, a folder or a link loop.
  bool AcceptsOutput(const QString& path);
  void OnOutputEnded(OutputKind kind, const QString& path, int count, bool written,
                     const QString& error);
  void StoreUploadFlags();
  // Automatic upload (app/main_frame_outbox.cpp): the outbox beside the
  // database, sent by its own worker; rows waiting say "待上传", the status
  // bar says how many wait and, after a failure, why and when it tries again.
  friend class WindowFlagStore;
  // The operations log (app/main_frame_log.cpp).
  void InitOperationsLog();
  void LogOperation(const QString& operation, const QString& details);
  void ShowOperationsLog();
  void StartOutbox();
  void ConfigureOutbox();
  UploadTarget CurrentUploadTarget() const;
  void ShowOutboxState();
  void OnAutoUploadToggled(bool on);
  void UploadOutboxNow();
  // Records stored late (the disk refused them at first): queued as the
  // receive thread queues the others.
  void QueueStoredRecords(const std::vector<uint32_t>& indexes);
  // A new row: marked when the receive thread queued its record.
  void NoteQueuedRow(const _NcItemData* record);
  // The worker's accepted records: flagged through the book (after a thaw),
  // the outcome given to `done`.
  void StoreOutboxFlags(const std::vector<UploadRecord>& accepted, std::function<void(bool)> done);
  void ShowOutboxRejection(const String& key, const String& why);
  // The manual upload's line in the operations log: server, counts, `outcome`.
  void LogUpload(const QString& outcome);
  // The end of an upload, said once its flags are stored.
  void ReportUpload(int accepted, int unanswered);
  // Received records the database did not take (app/main_frame_pending.cpp).
  // A record the database refused is waiting: retried every few seconds, one box per burst.
  void OnRecordWaiting();
  void ShowStoreProblem();
  bool RetryPendingRecords();
  void SavePendingRecordsForNextStart();
  void StoreRecordsLeftLastTime();
  std::string PendingCapturePath() const { return options_.storageFolder + "-pending.txt"; }
  static constexpr int kStatsPage = 4;
  void ShowPage(int page);
  // A short note about the serial link in "TextTipCom" (a resent record, dropped frames).
  void ShowLinkNote(const QString& text, bool good);
  void ReportDroppedFrames();
  // The station's device ID changes (`change`): earlier records keep theirs,
  // stored first; a message, and no change, when that could not be stored.
  // `after` runs when that has ended, told whether the ID changed.
  void ChangeDeviceId(std::function<void()> change, std::function<void(bool changed)> after);
  void UpdateRecordCount();
  // Work over the records that takes long at a million: `prepare` runs on a
  // worker with the book frozen (the list stays shown; the commands that
  // would change it say to wait; records arriving meanwhile join at the
  // end), its finish and then `done` run on the UI thread. Short lists are
  // done at once, on this thread.
  // The recycle bin opened (moves a crash cut short finished) before the
  // records are read; entries older than "recycle_days" offered for removal.
  void InitRecycleBin();
  void OfferRecyclePurge();
  bool PurgeFromBin(const std::vector<std::string>& ids, const QString& operation);
  void RestoreFromBin(const std::vector<std::string>& ids, std::function<void()> refresh);
  void QueueRestoredRecords(const std::vector<std::string>& ids,
                            const std::vector<std::string>& clashes);
  // Backups: a chosen folder, the day's first, and at close.
  enum class BackupKind { kChosen, kDaily, kAtClose };
  void InitBackup();
  // Progress of the backup job's worker, reported to the window.
  std::function<bool(uint64_t done, uint64_t total)> BackupJobProgress();
  void ShowBackupState(const QString& text);
  void BackUpToChosenFolder();
  void StopBackup();
  void StartBackup(const QString& folder, BackupKind kind);
  void BackupEnded(const struct BackupOutcome& outcome, size_t pruned, BackupKind kind,
                   const QString& parent);
  void BackUpAtClose();
  void RestoreFromChosenBackup();
  void ConfirmRestore(const std::string& backup, const struct BackupCheck& check);
  void SwapInRestoredDatabase(const std::string& backup, const std::string& aside);
  void RunOnFrozenBook(const QString& busyText, std::function<RecordBook::Prepared()> prepare,
                       std::function<void(const RecordBook::Prepared&)> done = {});
  // `busyText` in the status bar while the book is frozen, the record
  // commands disabled; empty: the counts again, and the commands.
  void ShowBookBusy(const QString& busyText);
  // Ends one freeze; the find bar's latest change follows once none is left.
  void ThawBook();
  // True, after saying so, while work over the records runs.
  bool RefuseWhileBookBusy();
  void InitFindBar();
  QDate Today() const;
  // The list and the status bar follow the book.
  void OnBookChanged(const RecordBook::Change& change);
  bool HandleFrameMouse(QWidget* target, QMouseEvent* event);
  void SwapMaxRestoreButtons();
  void StopUpload();
  // "正在上传 n/m" or "正在写入 n/m" with its stop button.
  void ShowJobProgress(bool upload, size_t done, size_t total);
  // Ends every worker, the link and the timers, and keeps what is waiting (once).
  void Shutdown();

  // RecordRowSource
  int RowCount() const override;
  QString Cell(int row, int cell) const override;
  bool Checked(int row) const override;
  void* Tag(int row) const override;

  MainFrameOptions options_;
  Skin skin_;
  ObjectList<SSerInfo> ports_;
  // A restore a crash cut short is finished before the database opens.
  Status restoreFinished_;
  RecordDb recordDb_;
  RecordBook book_{recordDb_};
  FrameDecoder frameDecoder_;
  Settings settings_;
  WindowPosStore windowPos_;
  SerialLink serialLink_;
  QTimer portTimer_;
  PrintJob printJob_;
  std::unique_ptr<LabelDelivery> labelDelivery_;
  QTimer printTimer_;
  uint64_t printJobNumber_ = 0;  // tells a finished job's late deliveries apart
  bool labelInFlight_ = false;
  bool printStepDue_ = false;  // the interval passed while a label was in flight
  WindowJob uploadJob_{this,
                       [this](size_t sent, size_t total) { ShowJobProgress(true, sent, total); }};
  std::shared_ptr<UploadAbort> uploadAbort_;
  // Accepted records whose "uploaded" flag waits for the next batch write.
  std::vector<std::pair<uint64_t, String>> pendingUploadFlags_;
  int unstoredUploadFlags_ = 0;
  int uploadAccepted_ = 0, uploadRefused_ = 0;  // replies to the manual upload
  QTimer pendingTimer_;
  QTimer statsRefresh_;  // the statistics page follows the records, a burst at a time
  String lastStoreError_;
  bool closing_ = false;
  bool noPortSaid_ = false;       // "no detector port" is in the status bar
  bool firstStart_ = false;       // there was no settings file at start
  uint64_t droppedSeen_ = 0;      // dropped frames the last port tick saw
  uint64_t droppedReported_ = 0;  // and those already reported
  WindowJob outputJob_{this,
                       [this](size_t done, size_t total) { ShowJobProgress(false, done, total); }};
  WindowJob bookJob_{this, [](size_t, size_t) {}};
  WindowJob leftoverJob_{this, [](size_t, size_t) {}};  // frees what the book let go of
  WindowJob checkJob_{this, [](size_t, size_t) {}};     // "测试连接"
  WindowJob queuesJob_{this, [](size_t, size_t) {}};    // the installed printer queues
  std::unique_ptr<class OperationsLog> opsLog_;
  std::unique_ptr<class RecycleBin> recycleBin_;
  WindowJob backupJob_{this, [this](size_t done, size_t total) {
                         if (total > 0) ShowBackupState(backupVerb_.arg(done * 100 / total));
                       }};
  QString backupVerb_;  // "正在备份 %1%" or the restore's
  class QLabel* backupProgress_ = nullptr;
  uint32_t interruptedMoves_ = 0;
  QString repairNote_;  // a repair at start, logged once the log is open  // records of moves a
                        // crash cut short, finished at start
  std::unique_ptr<Outbox> outbox_;
  std::unique_ptr<UploadFlagStore> outboxFlags_;
  std::unique_ptr<OutboxWorker> outboxWorker_;
  std::atomic<bool> outboxStopping_{false};
  std::map<std::u16string, uint64_t> outboxSerials_;  // queued records' rows
  QTimer outboxTimer_;
  bool findDue_ = false;  // the find bar changed while the book was frozen

  QWidget* root_ = nullptr;
  QPushButton* closebtn_ = nullptr;
  QPushButton* maxbtn_ = nullptr;
  QPushButton* restorebtn_ = nullptr;
  QPushButton* minbtn_ = nullptr;
  QComboBox* comboCom_ = nullptr;
  QComboBox* comboBits_ = nullptr;
  QComboBox* comboDeviceId_ = nullptr;
  QComboBox* comboServType_ = nullptr;
  QLineEdit* editDeviceId_ = nullptr;
  QPushButton* btnSaveDevice_ = nullptr;
  QLabel* textTipId_ = nullptr;
  RecordListView* datalist_ = nullptr;
  QStackedWidget* switch_ = nullptr;
  QLabel* textTipCom_ = nullptr;
  QLabel* recordCount_ = nullptr;
  QLabel* textPrintProgress_ = nullptr;
  QPushButton* btnStopPrint_ = nullptr;
  QLabel* textUploadProgress_ = nullptr;
  QPushButton* btnStopUpload_ = nullptr;
  QWidget* productConfig_ = nullptr;
  QLineEdit* channelEdits_[ProductNames::kChannels] = {};
  QComboBox* channelCombos_[ProductNames::kChannels] = {};
  RecordListModel* model_ = nullptr;
  QLineEdit* editFind_ = nullptr;
  QCheckBox* checkDate_ = nullptr;
  QDateEdit* dateFrom_ = nullptr;
  QDateEdit* dateTo_ = nullptr;
  QComboBox* comboResult_ = nullptr;
  QComboBox* comboUploaded_ = nullptr;
  QLabel* textOutputProgress_ = nullptr;
  QPushButton* btnStopOutput_ = nullptr;
  QMargins caption_, sizeBox_;
  bool captionPressed_ = false;  // pressed on the caption, not yet dragged
  QPoint captionPressAt_;
  QSize roundCorner_;
};

// The controls the program looks up by name; a skin must have them all.
QStringList RequiredControlNames();

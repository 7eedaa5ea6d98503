#include "app/main_frame_wnd.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "base/config.h"
#include "device/device_id.h"
#include "device/record_hash.h"
#include "store/backup.h"
#include "store/operations_log.h"
#include "ui/elided_label.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

namespace {

constexpr char16_t kMainWindowName[] = u"main_wnd";

WindowRect ToWindowRect(const QRect& r) {
  return WindowRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

}  // namespace

QStringList RequiredControlNames() {
  return {"closebtn",
          "minbtn",
          "maxbtn",
          "restorebtn",
          "switch",
          "data",
          "setup",
          "scan",
          "info",
          "debug",
          "datalist",
          "selall",
          "btn_export",
          "btn_delete",
          "btn_print",
          "btn_upload",
          "EditCode",
          "ComboCom",
          "ComboBits",
          "ComboDeviceId",
          "ComboServType",
          "EditDeviceId",
          "BtnSaveDevice",
          "BtnDeleteDevice",
          "TextTipId",
          "TextTipCom",
          "ProductConfig",
          "BtnSaveProductConfig",
          "TextPrintProgress",
          "BtnStopPrint",
          "TextUploadProgress",
          "BtnStopUpload",
          "EditFind",
          "CheckDate",
          "DateFrom",
          "DateTo",
          "BtnToday",
          "BtnWeek",
          "BtnMonth",
          "ComboResult",
          "ComboUploaded",
          "BtnClearFind",
          "btn_notice",
          "TextOutputProgress",
          "BtnStopOutput",
          "stats",
          "TextStatsScope",
          "StatsPeriodTable",
          "StatsProductTable",
          "StatsCharts"};
}

MainFrameWnd::MainFrameWnd(const MainFrameOptions& options)
    : options_(options),
      skin_(options.skinFolder),
      restoreFinished_(FinishInterruptedRestore(options.storageFolder)),
      recordDb_(options.storageFolder),
      windowPos_(kTakeSavedWidth | kTakeSavedHeight),
      serialLink_(*this, recordDb_, frameDecoder_, settings_.productNames) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowTitle(tr("农残检测仪"));
  setWindowIcon(QIcon(skin_.FilePath(QStringLiteral("icon.png"))));
  resize(800, 572);
}

MainFrameWnd::~MainFrameWnd() {
  // A window destroyed without being closed (tests, a failed start) ends
  // its work the same way: nothing keeps running on freed state.
  Shutdown();
  // The controls and the list model read the records, which go before the
  // base class would destroy its children: remove them first.
  delete root_;
  root_ = nullptr;
  delete model_;
  model_ = nullptr;
}

namespace {

// The checked page's caption is drawn bold (the skin's :checked rule), but a
// button's size hint knows only its normal font: each page button gets the
// room its caption needs in bold.
void MakeRoomForBoldPageCaptions(QWidget* root) {
  for (QPushButton* page : root->findChildren<QPushButton*>()) {
    if (page->property("role").toString() != QLatin1String("page")) continue;
    page->ensurePolished();
    QFont bold = page->font();
    bold.setBold(true);
    const int extra = QFontMetrics(bold).horizontalAdvance(page->text()) -
                      page->fontMetrics().horizontalAdvance(page->text());
    if (extra > 0) page->setMinimumWidth(page->sizeHint().width() + extra);
  }
}

}  // namespace

bool MainFrameWnd::Create(QString* error) {
  if (!OpenDatabase(error)) return false;  // before anything touches the port
  root_ = skin_.Build(QStringLiteral("skin.xml"), this, error);
  if (!root_) return false;
  const QStringList missing = MissingControls(root_, RequiredControlNames());
  if (!missing.isEmpty()) {
    if (error) {
      *error =
          QStringLiteral("%1 lacks the controls: %2")
              .arg(skin_.FilePath(QStringLiteral("skin.xml")), missing.join(QStringLiteral(", ")));
    }
    delete root_;
    root_ = nullptr;
    return false;
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(root_);
  MakeRoomForBoldPageCaptions(root_);
  caption_ = MarginsProperty(root_, "caption");
  sizeBox_ = MarginsProperty(root_, "sizebox");
  const QStringList corner = root_->property("roundcorner").toString().split(QLatin1Char(','));
  if (corner.size() == 2) roundCorner_ = QSize(corner[0].toInt(), corner[1].toInt());

  closebtn_ = root_->findChild<QPushButton*>("closebtn");
  maxbtn_ = root_->findChild<QPushButton*>("maxbtn");
  restorebtn_ = root_->findChild<QPushButton*>("restorebtn");
  minbtn_ = root_->findChild<QPushButton*>("minbtn");
  comboCom_ = root_->findChild<QComboBox*>("ComboCom");
  comboBits_ = root_->findChild<QComboBox*>("ComboBits");
  comboDeviceId_ = root_->findChild<QComboBox*>("ComboDeviceId");
  comboServType_ = root_->findChild<QComboBox*>("ComboServType");
  editDeviceId_ = root_->findChild<QLineEdit*>("EditDeviceId");
  btnSaveDevice_ = root_->findChild<QPushButton*>("BtnSaveDevice");
  textTipId_ = root_->findChild<QLabel*>("TextTipId");
  datalist_ = root_->findChild<RecordListView*>("datalist");
  switch_ = root_->findChild<QStackedWidget*>("switch");
  textTipCom_ = root_->findChild<QLabel*>("TextTipCom");
  recordCount_ = root_->findChild<QLabel*>("TextRecordCount");
  // Status texts never widen the window: long ones are cut, whole in the tooltip.
  for (QLabel* status : {textTipCom_, recordCount_}) {
    if (status) MakeEliding(status);
  }
  productConfig_ = root_->findChild<QWidget*>("ProductConfig");
  textPrintProgress_ = root_->findChild<QLabel*>("TextPrintProgress");
  btnStopPrint_ = root_->findChild<QPushButton*>("BtnStopPrint");
  textUploadProgress_ = root_->findChild<QLabel*>("TextUploadProgress");
  btnStopUpload_ = root_->findChild<QPushButton*>("BtnStopUpload");
  if (!textPrintProgress_ || !btnStopPrint_ || !textUploadProgress_ || !btnStopUpload_ ||
      !closebtn_ || !maxbtn_ || !restorebtn_ || !minbtn_ || !comboCom_ || !comboBits_ ||
      !comboDeviceId_ || !comboServType_ || !editDeviceId_ || !btnSaveDevice_ || !textTipId_ ||
      !datalist_ || !switch_ || !textTipCom_ || !productConfig_) {
    if (error) *error = QStringLiteral("skin.xml has a named control of the wrong kind");
    return false;
  }

  ConnectNotifications(root_, this);
  installEventFilter(this);
  for (QWidget* child : root_->findChildren<QWidget*>()) child->installEventFilter(this);
  InitWindow();
  Notification init;
  init.type = QStringLiteral("windowinit");
  init.sender = this;
  Notify(init);
  return true;
}

// The database must be open before the window starts: a second copy of the
// program stops here, and a damaged database is repaired only when the
// operator agrees (after a copy of the folder is kept).
bool MainFrameWnd::OpenDatabase(QString* error) {
  if (!restoreFinished_) {
    // The database in place is not the one restored: nothing is used until
    // someone looks.
    if (error) *error = ShownLibraryText(ToQString(restoreFinished_.text));
    return false;
  }
  if (recordDb_.IsOpen()) return true;
  const QString folder = ShownPath(options_.storageFolder);
  QString reason = ToQString(recordDb_.OpenStatus().text);
  QString text;
  const RecordDb::OpenProblem problem = recordDb_.Problem();
  const QString user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
  if (problem == RecordDb::OpenProblem::kLocked) {
    text = tr("数据库正被另一个程序使用: %1").arg(folder);
  } else if (problem == RecordDb::OpenProblem::kNoPermission) {
    text = tr("没有权限访问数据库文件夹 %1（当前用户 %2）\n请让管理员把这个文件夹交给当前用户，"
              "或用有权限的账户启动程序。\n%3")
               .arg(folder, user, reason);
  } else if (problem == RecordDb::OpenProblem::kReadOnly) {
    text =
        tr("数据库文件夹 %1 所在的磁盘是只读的，无法保存记录。\n请把数据库放到可写的磁盘上。\n%2")
            .arg(folder, reason);
  } else if (problem == RecordDb::OpenProblem::kNotAFolder) {
    text = tr("数据库路径 %1 不是文件夹，而是一个文件。\n请把这个文件移走或改名后再启动程序。")
               .arg(folder);
  } else if (problem == RecordDb::OpenProblem::kDamaged &&
             ShowMessageBox(
                 this,
                 tr("数据库无法打开: %1\n%2\n\n修复数据库？修复前会先把整个文件夹复制一份。")
                     .arg(folder, reason),
                 MessageKind::kConfirm)) {
    std::string backup;
    const DbStatus repaired = RecordDb::Repair(options_.storageFolder, backup);
    recordDb_.Reopen();
    if (repaired && recordDb_.IsOpen()) {
      const uint32_t found = recordDb_.ForEach([](String&, Json&) { return false; });
      repairNote_ = tr("修复数据库，找回 %1 条记录，修复前的文件夹保存在 %2")
                        .arg(found)
                        .arg(QString::fromStdString(backup));
      ShowMessageBox(this,
                     tr("修复数据库完成，找回 %1 条记录。修复前的文件夹保存在 %2")
                         .arg(found)
                         .arg(QString::fromStdString(backup)),
                     MessageKind::kInformation);
      return true;
    }
    if (!repaired) reason = ToQString(repaired.text);
    text = tr("修复数据库失败: %1\n%2").arg(folder, reason);
  } else {
    text = tr("无法打开数据库: %1\n%2").arg(folder, reason);
  }
  if (error) *error = text;
  return false;
}

void MainFrameWnd::InitWindow() {
  frameDecoder_.SetRecordCallback(
      [this](std::string& key, std::string& text) { serialLink_.OnRecordReceived(key, text); });

  firstStart_ = !QFileInfo::exists(QString::fromStdString(DefaultConfigPath()));
  const WindowRect restored = windowPos_.RestorePosition(kMainWindowName, ToWindowRect(geometry()));
  resize(restored.Width(), restored.Height());

  settings_.Load();
  const std::string& settingsProblem = settings_.readProblem;
  const QString settingsFile = QString::fromStdString(DefaultConfigPath());
  if (!settingsProblem.empty() || !settings_.brokenProblem.empty()) {
    // Said once, after the window is up: the program runs on defaults.
    const QString text =
        !settingsProblem.empty()
            ? tr("无法读取设置文件 "
                 "%1：%2\n程序按默认设置运行，改动的设置不会保存。请检查这个文件的权限。")
                  .arg(settingsFile, QString::fromLocal8Bit(settingsProblem.c_str()))
            : tr("设置文件 %1 %2，其中的设置没有用上，程序按默认设置运行。\n"
                 "请改正这个文件后重新启动程序；在窗口中改动设置时，原文件会先另存为 %1.broken。")
                  .arg(settingsFile,
                       ShownLibraryText(QString::fromStdString(settings_.brokenProblem)));
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          if (!closing_) ShowMessageBox(this, text, MessageKind::kError);
        },
        Qt::QueuedConnection);
  }
  serialLink_.SetDeviceId(settings_.deviceId);
  if (!settings_.deviceIdProblem.IsEmpty()) {
    const QString text = tr("设置文件中的设备ID“%1”无效：%2\n程序在没有设备ID的情况下运行，"
                            "请在“设置”页面输入检测仪标签上的16位设备ID。")
                             .arg(ToQString(settings_.deviceIdProblem))
                             .arg(ShownLibraryText(QString::fromUtf16(
                                 DeviceIdCheckMessage(CheckDeviceId(settings_.deviceIdProblem)))));
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          if (!closing_) ShowMessageBox(this, text, MessageKind::kError);
        },
        Qt::QueuedConnection);
  }
  for (const String& id : settings_.knownDeviceIds) comboDeviceId_->addItem(ToQString(id));
  comboDeviceId_->setCurrentIndex(-1);
  FillPortCombo();

  connect(&portTimer_, &QTimer::timeout, this, &MainFrameWnd::OnPortTimer);
  printTimer_.setSingleShot(true);
  connect(&printTimer_, &QTimer::timeout, this, &MainFrameWnd::OnPrintTimer);
  textOutputProgress_ = root_->findChild<QLabel*>("TextOutputProgress");
  btnStopOutput_ = root_->findChild<QPushButton*>("BtnStopOutput");
  textOutputProgress_->hide();
  btnStopOutput_->hide();
  btnStopOutput_->setText(tr("停止"));
  for (QWidget* progress :
       {static_cast<QWidget*>(textPrintProgress_), static_cast<QWidget*>(btnStopPrint_),
        static_cast<QWidget*>(textUploadProgress_), static_cast<QWidget*>(btnStopUpload_)}) {
    progress->hide();
  }
  btnStopPrint_->setText(tr("停止"));
  btnStopUpload_->setText(tr("停止"));
  portTimer_.start(1000);

  BuildChannelRows();
  BuildSettingFields();

  model_ = new RecordListModel(*this, this);
  book_.SetListener([this](const RecordBook::Change& change) { OnBookChanged(change); });
  statsRefresh_.setSingleShot(true);
  statsRefresh_.setInterval(300);
  connect(&statsRefresh_, &QTimer::timeout, this, [this] {
    if (!closing_ && switch_->currentIndex() == kStatsPage) ShowStatistics();
  });
  model_->SetCaptions(datalist_->property("columnCaptions").toString().split(QLatin1Char('|')));
  datalist_->setModel(model_);
  datalist_->setItemDelegate(
      new RecordListDelegate(QPixmap(skin_.FilePath(QStringLiteral("checkbox.png"))), datalist_));
  QList<int> widths;
  for (const QString& w : datalist_->property("columnWidths").toString().split(QLatin1Char(','))) {
    widths << w.toInt();
  }
  datalist_->SetColumnWidths(widths);
  InitFindBar();
  InitRecycleBin();
  LoadStoredRecords();
  StoreRecordsLeftLastTime();
  StartOutbox();
  InitOperationsLog();
  if (!repairNote_.isEmpty()) LogOperation(tr("修复"), repairNote_);
  OfferRecyclePurge();
  InitBackup();
  connect(&pendingTimer_, &QTimer::timeout, this, [this] {
    if (RetryPendingRecords()) pendingTimer_.stop();
  });

  ShowInfoPage();
  TraceSampleRecordHash();
  if (firstStart_ && options_.firstStartGuide) {
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (!closing_) ShowFirstStartGuide();
        },
        Qt::QueuedConnection);
  }
}

void MainFrameWnd::ShowInfoPage() {
  auto set = [this](const char* name, const QString& text) {
    if (auto* label = root_->findChild<QLabel*>(name)) label->setText(text);
  };
  set("InfoVersion", QStringLiteral(RESIDUE_VERSION));
  set("InfoSettingsPath", ShownPath(DefaultConfigPath()));
  set("InfoDatabasePath", ShownPath(options_.storageFolder));
  set("InfoCapturePath", ShownPath(options_.capturePath));
}

void MainFrameWnd::ScanPorts() {
  ports_.Clear();
  if (options_.scanPorts) {
    options_.scanPorts(ports_);
  } else {
    ScanSerialPorts(ports_, settings_.extraPorts);
  }
}

void MainFrameWnd::FillPortCombo() {
  ScanPorts();
  ListPortsInCombo();
  comboCom_->setCurrentIndex(-1);
  ChooseDetectorPort();
}

void MainFrameWnd::ListPortsInCombo() {
  // The port's name is what "com" stores; the window shows it in its language.
  const QSignalBlocker quiet(comboCom_);
  comboCom_->clear();
  for (uint32_t i = 0; i < ports_.Count(); ++i) {
    const QString name = ToQString(ports_[i].friendlyName);
    comboCom_->addItem(ShownLibraryText(name), name);
  }
}

void MainFrameWnd::ChooseDetectorPort() {
  // A station with no port chosen takes a detector's port by itself, never
  // an on-board one; with none there, it waits for one to be plugged in.
  if (!settings_.portName.IsEmpty()) return;
  if (const SSerInfo* port = FirstDetectorPort(ports_)) {
    settings_.portName = port->friendlyName;
    settings_.Save();
  }
}

void MainFrameWnd::BuildChannelRows() {
  // The labels as wide as the widest of them needs, in either language.
  int labelWidth = 50;
  for (int i = 0; i < ProductNames::kChannels; ++i)
    labelWidth = std::max(
        labelWidth, productConfig_->fontMetrics().horizontalAdvance(tr("通道%1:").arg(i + 1)) + 6);
  const int x = 10 + labelWidth + 10;
  const int comboWidth = std::max(120, 180 - (labelWidth - 50));  // the row keeps its width
  for (int i = 0; i < ProductNames::kChannels; ++i) {
    const int y = 30 * i + 10;
    auto* label = new QLabel(tr("通道%1:").arg(i + 1), productConfig_);
    label->setGeometry(10, y, labelWidth, 22);
    auto* combo = new QComboBox(productConfig_);
    combo->setGeometry(x, y, comboWidth, 22);
    FillChannelCombo(combo);
    auto* edit = new QLineEdit(ToQString(settings_.productNames.Get(i)), productConfig_);
    edit->setGeometry(x + 1, y + 1, comboWidth - 22, 20);
    channelCombos_[i] = combo;
    channelEdits_[i] = edit;
    for (QWidget* control : {static_cast<QWidget*>(label), static_cast<QWidget*>(combo),
                             static_cast<QWidget*>(edit)}) {
      WatchControl(control, this);
      control->show();
    }
  }
}

void MainFrameWnd::OnPortTimer() {
  ReportDroppedFrames();
  // A detector plugged in after the start: while the chosen port is not
  // there, every tick looks again, and the port list follows quietly.
  if (!serialLink_.IsOpen() && !FindPortPath(ports_, settings_.portName)) {
    const QVariant chosen = comboCom_->currentData();
    ScanPorts();
    ListPortsInCombo();
    const QSignalBlocker quiet(comboCom_);
    comboCom_->setCurrentIndex(comboCom_->findData(chosen));
    ChooseDetectorPort();
  }
  // Said once, until a port is chosen (other notes may follow meanwhile).
  const bool noPort = settings_.portName.IsEmpty();
  if (noPort && !noPortSaid_)
    ShowLinkNote(tr("没有找到检测仪的串口：请插上检测仪的数据线，或在“设置”页面选择串口"), false);
  noPortSaid_ = noPort;
  if (noPort) return;
  serialLink_.OnPortTimer(settings_.portName, settings_.baudRate, ports_);
}

void MainFrameWnd::CenterAndShow() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    // Never larger than the screen's free area (a size saved on a larger
    // screen shrinks), and all of it on that screen.
    const QRect area = screen->availableGeometry();
    resize(std::min(width(), area.width()), std::min(height(), area.height()));
    QRect placed(QPoint(), size());
    placed.moveCenter(area.center());
    placed.moveLeft(std::max(area.left(), placed.left()));
    placed.moveTop(std::max(area.top(), placed.top()));
    move(placed.topLeft());
  }
  show();
}

// Called on the receive thread: the note is shown on the UI thread.
void MainFrameWnd::ShowPortStatus(const String& text, bool good) {
  QMetaObject::invokeMethod(
      this, [this, text = ToQString(text), good] { ShowLinkNote(ShownLibraryText(text), good); },
      Qt::QueuedConnection);
}

void MainFrameWnd::ShowDatabaseError(const String& statusText) {
  // The box comes with the record it is about (KeepPendingRecord), once per
  // episode instead of once per record.
  QMetaObject::invokeMethod(
      this, [this, statusText] { lastStoreError_ = statusText; }, Qt::QueuedConnection);
}

void MainFrameWnd::Shutdown() {
  // The one close sequence, for every way of closing (the close button,
  // Alt+F4, the window manager, the window destroyed): no more port opening,
  // a print job and an upload given up (each gives up within tens of
  // milliseconds, whatever the printer or server does), the receive thread
  // stopped and awaited. No message box comes after this point.
  if (closing_) return;
  closing_ = true;
  portTimer_.stop();
  outboxTimer_.stop();
  outboxStopping_ = true;  // a round waiting for its flags gives up: its records stay queued
  if (outboxWorker_) outboxWorker_->Stop();
  printTimer_.stop();
  printJob_.Stop();          // the job walks the record list, which goes with the window
  labelDelivery_.reset();    // the label in flight is abandoned
  StopUpload();              // a running upload ends early and is awaited
  outputJob_.RequestStop();  // a file being written is given up
  outputJob_.Join();
  bookJob_.Join();          // work over the records ends by itself, within a few seconds
  checkJob_.RequestStop();  // a server check gives up at once
  checkJob_.Join();
  queuesJob_.RequestStop();
  queuesJob_.Join();
  backupJob_.RequestStop();  // a backup under way is given up and removed; a restore
  backupJob_.Join();         // that copied its files is finished at the next start
  // Its end, and the changes that waited for it, are made now.
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  book_.ThawAll();
  // Replies the worker passed on before it ended still get their flags stored.
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  StoreUploadFlags();
  serialLink_.Stop();
  serialLink_.QueueForUpload(nullptr);
  // Records handed over before the link stopped join the list; those the
  // database still does not take go to the file the next start stores.
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
  pendingTimer_.stop();
  RetryPendingRecords();
  SavePendingRecordsForNextStart();
  BackUpAtClose();
}

void MainFrameWnd::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    Shutdown();
    // The window's size is remembered.
    windowPos_.SavePosition(
        kMainWindowName,
        ToWindowRect(isMaximized() || isMinimized() ? normalGeometry() : geometry()));
  }
  event->accept();
}

void MainFrameWnd::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isMinimized() || roundCorner_.isEmpty()) return;
  // Rounded top corners, square bottom corners.
  const int w = width(), h = height();
  QPainterPath rounded;
  rounded.addRoundedRect(QRectF(0, 0, w + 1, h + 1 - roundCorner_.width()),
                         roundCorner_.width() / 2.0, roundCorner_.height() / 2.0);
  QRegion region(rounded.toFillPolygon().toPolygon());
  region += QRegion(0, roundCorner_.width(), w + 1, h + 1 - roundCorner_.width());
  setMask(region);
}

void MainFrameWnd::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && restorebtn_) SwapMaxRestoreButtons();
}

void MainFrameWnd::SwapMaxRestoreButtons() {
  const bool maximized = isMaximized();
  restorebtn_->setVisible(maximized);
  maxbtn_->setVisible(!maximized);
}

bool MainFrameWnd::eventFilter(QObject* watched, QEvent* event) {
  if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
      watched->isWidgetType()) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton &&
        HandleFrameMouse(static_cast<QWidget*>(watched), mouse)) {
      return true;
    }
  }
  // A caption pressed and dragged moves the window; the move starts with the
  // drag, not the press, so that a double click reaches the window.
  if (event->type() == QEvent::MouseMove && captionPressed_) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!(mouse->buttons() & Qt::LeftButton)) {
      captionPressed_ = false;
    } else if ((mouse->globalPosition().toPoint() - captionPressAt_).manhattanLength() >=
               QApplication::startDragDistance()) {
      captionPressed_ = false;
      if (QWindow* window = windowHandle()) window->startSystemMove();
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonRelease) captionPressed_ = false;
  return QWidget::eventFilter(watched, event);
}

bool MainFrameWnd::HandleFrameMouse(QWidget* target, QMouseEvent* event) {
  const QPoint point = mapFromGlobal(event->globalPosition().toPoint());
  // A press on the window itself (no control under it) counts as empty caption.
  const ControlKind kind = target == this ? ControlKind::kOther : KindOf(target);
  const HitCode code = HitTest(point, rect(), sizeBox_, caption_, isMaximized(), kind);
  QWindow* window = windowHandle();
  if (code == kHitCaption) {
    if (event->type() == QEvent::MouseButtonDblClick) {
      captionPressed_ = false;
      isMaximized() ? showNormal() : showMaximized();
    } else {
      captionPressed_ = true;  // the move starts once the mouse is dragged
      captionPressAt_ = event->globalPosition().toPoint();
    }
    return true;
  }
  Qt::Edges edges;
  switch (code) {
    case kHitLeft:
      edges = Qt::LeftEdge;
      break;
    case kHitRight:
      edges = Qt::RightEdge;
      break;
    case kHitTop:
      edges = Qt::TopEdge;
      break;
    case kHitBottom:
      edges = Qt::BottomEdge;
      break;
    case kHitTopLeft:
      edges = Qt::TopEdge | Qt::LeftEdge;
      break;
    case kHitTopRight:
      edges = Qt::TopEdge | Qt::RightEdge;
      break;
    case kHitBottomLeft:
      edges = Qt::BottomEdge | Qt::LeftEdge;
      break;
    case kHitBottomRight:
      edges = Qt::BottomEdge | Qt::RightEdge;
      break;
    default:
      return false;
  }
  if (window && event->type() == QEvent::MouseButtonPress) window->startSystemResize(edges);
  return true;
}

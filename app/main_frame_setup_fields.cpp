// The settings page's typed settings: the upload server and the unit (in the
// server group); the trace address, the notice's title, the label printer
// (typed or chosen from the installed queues) and the label's size and title;
// where the label's lines and codes go. Built beside the skin's controls; each value is checked as
// it is typed, a wrong one is named beside its field and not saved, a right one is saved at once
// and used from then on (the next upload, label and notice).
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <string_view>

#include "app/first_start_guide.h"
#include "app/main_frame_wnd.h"
#include "app/setting_checks.h"
#include "base/config.h"
#include "device/device_id.h"
#include "device/port_list.h"
#include "output/label_printer.h"
#include "output/label_transport.h"
#include "output/printer_queues.h"
#include "output/sample_label.h"
#include "output/tspl_preview.h"
#include "ui/elided_label.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "upload/server_check.h"

namespace {

String NoCheck(const String&) { return String(u""); }

}  // namespace

std::vector<MainFrameWnd::SettingField> MainFrameWnd::SettingFields() {
  using F = SettingField;
  return {
      {"EditServHost", tr("TCP 服务器地址"), false, &Settings::serverHost, &CheckHostName},
      {"EditServPort", tr("TCP 端口"), false, nullptr, nullptr},
      {"EditHttpUrl", tr("HTTP 上传网址"), false, &Settings::httpUrl, &CheckWebAddress},
      {"EditHttpOkText", tr("HTTP 成功标记"), false, &Settings::httpOkText, &NoCheck},
      {"EditUserName", tr("用户名"), false, &Settings::userName, &NoCheck},
      {"EditPassword", tr("密码"), true, &Settings::password, &NoCheck},
      {"EditUnitCode", tr("单位编号"), false, &Settings::unitCode, &NoCheck},
      {"EditUnitName", tr("单位名称"), false, &Settings::unitName, &NoCheck},
      {"EditQueryUrl", tr("追溯网址"), false, &Settings::queryUrl, &CheckWebAddress, nullptr,
       F::kOutputs},
      {"EditNoticeTitle", tr("公示单标题"), false, &Settings::noticeTitle, &CheckNotEmpty, nullptr,
       F::kOutputs},
      {"EditPrinter", tr("标签打印机"), false, nullptr, &CheckLabelDestination, u"device",
       F::kOutputs},
      {"EditLabelTitle", tr("标签标题"), false, nullptr, &CheckNotEmpty, u"lab_name", F::kOutputs},
      {"EditLabelWidth", tr("标签宽度（毫米）"), false, nullptr, &CheckLabelSize, u"width",
       F::kOutputs},
      {"EditLabelHeight", tr("标签高度（毫米）"), false, nullptr, &CheckLabelSize, u"height",
       F::kOutputs},
      {"EditTitleY", tr("标题 y"), false, nullptr, nullptr, u"line_y1", F::kLabelLayout, 'y'},
      {"EditLine1Y", tr("第 1 行 y"), false, nullptr, nullptr, u"line_y2", F::kLabelLayout, 'y'},
      {"EditLine2Y", tr("第 2 行 y"), false, nullptr, nullptr, u"line_y3", F::kLabelLayout, 'y'},
      {"EditLine3Y", tr("第 3 行 y"), false, nullptr, nullptr, u"line_y4", F::kLabelLayout, 'y'},
      {"EditLine4Y", tr("第 4 行 y"), false, nullptr, nullptr, u"line_y5", F::kLabelLayout, 'y'},
      {"EditBarcodeX", tr("条码 x"), false, nullptr, nullptr, u"tr_x", F::kLabelLayout, 'x'},
      {"EditBarcodeY", tr("条码 y"), false, nullptr, nullptr, u"tr_y", F::kLabelLayout, 'y'},
      {"EditQrX", tr("二维码 x"), false, nullptr, nullptr, u"qr_x", F::kLabelLayout, 'x'},
      {"EditQrY", tr("二维码 y"), false, nullptr, nullptr, u"qr_y", F::kLabelLayout, 'y'},
      {"EditQrModule", tr("二维码点大小"), false, nullptr, &CheckQrModule, u"qr_w",
       F::kLabelLayout},
      {"EditRecycleDays", tr("回收站保留天数"), false, nullptr, nullptr, nullptr, F::kData, 0,
       &Settings::recycleDays, 3650},
      {"EditBackupDir", tr("自动备份文件夹（空：不自动备份）"), false, &Settings::backupDir,
       &CheckBackupFolder, nullptr, F::kData},
      {"EditBackupKeep", tr("保留备份份数"), false, nullptr, nullptr, nullptr, F::kData, 0,
       &Settings::backupKeep, 1000},
  };
}

void MainFrameWnd::BuildSettingFields() {
  auto* serverForm = root_->findChild<QFormLayout*>(QStringLiteral("serverForm"));
  auto* column = root_->findChild<QVBoxLayout*>(QStringLiteral("setupLeft"));
  if (!serverForm || !column) return;  // a skin without these groups keeps them in the file
  auto* outputs = new QGroupBox(tr("标签与公示单"));
  auto* outputsForm = new QFormLayout(outputs);
  outputsForm->setHorizontalSpacing(10);
  column->insertWidget(column->count() - 1, outputs);  // before the closing spacer
  // Where the label's lines and codes go, in printer dots from the top left.
  auto* layout = new QGroupBox(tr("标签布局（点，每毫米 %1 点）").arg(kLabelDotsPerMm));
  auto* layoutForm = new QFormLayout(layout);
  layoutForm->setHorizontalSpacing(10);
  column->insertWidget(column->count() - 1, layout);
  // Deleted records and backups.
  auto* data = new QGroupBox(tr("数据保护"));
  auto* dataForm = new QFormLayout(data);
  dataForm->setHorizontalSpacing(10);
  column->insertWidget(column->count() - 1, data);
  QFormLayout* forms[] = {serverForm, outputsForm, layoutForm, dataForm};
  const std::vector<SettingField> fields = SettingFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    const SettingField& field = fields[i];
    auto* edit = new QLineEdit;
    edit->setObjectName(QLatin1String(field.name));
    if (field.password) edit->setEchoMode(QLineEdit::Password);
    if (field.group == SettingField::kLabelLayout) edit->setMaximumWidth(90);
    auto* problem = new QLabel;
    problem->setObjectName(QLatin1String(field.name) + QStringLiteral("Problem"));
    problem->setStyleSheet(QStringLiteral("color: #c62828; font-weight: normal;"));
    problem->setWordWrap(true);
    problem->hide();
    auto* cell = new QWidget;
    auto* stack = new QVBoxLayout(cell);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(2);
    stack->addWidget(edit);
    stack->addWidget(problem);
    forms[field.group]->addRow(field.label, cell);
    connect(edit, &QLineEdit::textEdited, this, [this, i] { OnSettingFieldEdited(i); });
    if (field.member == &Settings::backupDir) {
      // The day's automatic backup once the folder is typed whole (not at
      // each keystroke: "/" and "/media" are folders too).
      connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        if (!settings_.backupDir.IsEmpty() &&
            FromQString(edit->text().trimmed()) == settings_.backupDir)
          StartBackup(ToQString(settings_.backupDir), BackupKind::kDaily);
      });
    }
    if (field.printerKey && field.printerKey == std::u16string_view(u"device")) {
      auto* queues = new QComboBox;
      queues->setObjectName(QStringLiteral("ComboPrinterQueue"));
      queues->setAccessibleName(tr("已安装的打印队列"));
      auto* refresh = new QPushButton(tr("刷新"));
      refresh->setObjectName(QStringLiteral("BtnFindQueues"));
      auto* row = new QWidget;
      auto* line = new QHBoxLayout(row);
      line->setContentsMargins(0, 0, 0, 0);
      line->addWidget(queues, 1);
      line->addWidget(refresh);
      forms[field.group]->addRow(QString(), row);
      connect(queues, QOverload<int>::of(&QComboBox::activated), this,
              &MainFrameWnd::OnPrinterQueueChosen);
      connect(refresh, &QPushButton::clicked, this, &MainFrameWnd::FindPrinterQueues);
    }
  }
  // Automatic upload, and its state and "立即上传" in the status bar.
  auto* automatic = new QCheckBox(tr("自动上传（每条记录存好后自动上传，失败时自动重试）"));
  automatic->setObjectName(QStringLiteral("CheckAutoUpload"));
  automatic->setChecked(settings_.autoUpload);
  serverForm->addRow(QString(), automatic);
  connect(automatic, &QCheckBox::toggled, this, &MainFrameWnd::OnAutoUploadToggled);
  if (recordCount_ && recordCount_->parentWidget()) {
    if (auto* bar = qobject_cast<QHBoxLayout*>(recordCount_->parentWidget()->layout())) {
      auto* state = new QLabel;
      state->setObjectName(QStringLiteral("TextOutbox"));
      MakeEliding(state);
      auto* now = new QPushButton(tr("立即上传"));
      now->setObjectName(QStringLiteral("BtnUploadNow"));
      const int at = bar->indexOf(recordCount_);
      bar->insertWidget(at, now);
      bar->insertWidget(at, state, 1);
      state->hide();
      now->hide();
      connect(now, &QPushButton::clicked, this, &MainFrameWnd::UploadOutboxNow);
    }
  }
  auto* check = new QPushButton(tr("测试连接"));
  check->setObjectName(QStringLiteral("BtnCheckServer"));
  check->setProperty("role", QStringLiteral("action"));
  serverForm->addRow(QString(), check);
  connect(check, &QPushButton::clicked, this, &MainFrameWnd::CheckServer);
  // A picture of the sample label as the settings lay it out now.
  auto* preview = new QLabel;
  preview->setObjectName(QStringLiteral("LabelPreview"));
  preview->setAlignment(Qt::AlignCenter);
  outputsForm->addRow(tr("标签样式"), preview);
  auto* label = new QPushButton(tr("打印测试标签"));
  label->setObjectName(QStringLiteral("BtnTestLabel"));
  label->setProperty("role", QStringLiteral("action"));
  outputsForm->addRow(QString(), label);
  connect(label, &QPushButton::clicked, this, &MainFrameWnd::PrintTestLabel);
  ShowSettingFields();
  FindPrinterQueues();
}

void MainFrameWnd::FindPrinterQueues() {
  auto* queues = root_->findChild<QComboBox*>(QStringLiteral("ComboPrinterQueue"));
  if (!queues || queuesJob_.IsActive()) return;
  queues->clear();
  queues->addItem(tr("正在查找打印队列……"));
  queues->setEnabled(false);
  const int waitMs = options_.timing.serverCheckMs;
  queuesJob_.Start(0, [this, waitMs] {
    const PrinterQueues found = ListPrinterQueues(waitMs, &queuesJob_.StopFlag());
    QMetaObject::invokeMethod(
        this,
        [this, found] {
          queuesJob_.Ended();
          auto* combo = root_->findChild<QComboBox*>(QStringLiteral("ComboPrinterQueue"));
          if (closing_ || !combo) return;
          combo->clear();
          // The first item says what there is to choose, or why nothing.
          combo->addItem(!found.status         ? ShownLibraryText(ToQString(found.status.text))
                         : found.names.empty() ? tr("没有已安装的打印队列")
                                               : tr("选择已安装的打印队列……"));
          combo->setToolTip(combo->itemText(0));  // a reason may be longer than the box
          for (const String& name : found.names) combo->addItem(ToQString(name));
          combo->setEnabled(!found.names.empty());
        },
        Qt::QueuedConnection);
  });
}

void MainFrameWnd::OnPrinterQueueChosen(int index) {
  auto* combo = root_->findChild<QComboBox*>(QStringLiteral("ComboPrinterQueue"));
  auto* edit = root_->findChild<QLineEdit*>(QStringLiteral("EditPrinter"));
  if (!combo || !edit || index < 1) return;
  edit->setText(ToQString(PrinterQueuePrefix()) + combo->itemText(index));
  const std::vector<SettingField> fields = SettingFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].name == std::string_view("EditPrinter")) OnSettingFieldEdited(i);
  }
  combo->setCurrentIndex(0);
}

void MainFrameWnd::CheckServer() {
  if (checkJob_.IsActive()) return;
  auto* button = root_->findChild<QPushButton*>(QStringLiteral("BtnCheckServer"));
  const bool tcp = settings_.serverType == u"TCP服务器";
  const String host = settings_.serverHost;
  const uint16_t port = settings_.serverPort;
  const String url = settings_.httpUrl;
  const int waitMs = options_.timing.serverCheckMs;
  String server;
  if (tcp) {
    server.Format(u"%s:%d", host.Handle(), static_cast<int>(port));
  } else {
    server = url;
  }
  button->setEnabled(false);
  button->setText(tr("正在测试……"));
  // On a worker: a server that never answers holds it, not the window.
  checkJob_.Start(0, [this, tcp, host, port, url, waitMs, server] {
    const Status reached = tcp ? CheckTcpServer(host, port, waitMs, &checkJob_.StopFlag())
                               : CheckHttpServer(url, waitMs, &checkJob_.StopFlag());
    QMetaObject::invokeMethod(
        this,
        [this, reached, server] {
          checkJob_.Ended();
          if (auto* done = root_->findChild<QPushButton*>(QStringLiteral("BtnCheckServer"))) {
            done->setEnabled(true);
            done->setText(tr("测试连接"));
          }
          if (closing_) return;
          if (reached) {
            ShowMessageBox(this, tr("连接服务器 %1 成功").arg(ToQString(server)),
                           MessageKind::kInformation);
          } else {
            ShowMessageBox(this, ShownLibraryText(ToQString(reached.text)), MessageKind::kError);
          }
        },
        Qt::QueuedConnection);
  });
}

void MainFrameWnd::PrintTestLabel() {
  if (checkJob_.IsActive()) return;
  if (printJob_.IsRunning()) {
    ShowMessageBox(this, tr("正在打印，请等待之前的打印完成"), MessageKind::kError);
    return;
  }
  // Today's sample through the printer and layout the settings name now.
  const LabelLayout layout = LabelLayout::FromSettings();
  const String id = settings_.deviceId.IsEmpty() ? String(u"0000000000000000") : settings_.deviceId;
  const std::string tspl = SampleLabel(
      layout, settings_.queryUrl,
      FromQString(QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss"))), id);
  auto transport = std::shared_ptr<LabelTransport>(
      OpenLabelTransport(layout.device, options_.timing.labelTimeouts).release());
  auto* button = root_->findChild<QPushButton*>(QStringLiteral("BtnTestLabel"));
  button->setEnabled(false);
  checkJob_.Start(0, [this, transport, tspl] {
    const Status delivered = transport->Deliver(tspl, &checkJob_.StopFlag());
    const QString printer = ToQString(transport->Name());
    QMetaObject::invokeMethod(
        this,
        [this, delivered, printer] {
          checkJob_.Ended();
          if (auto* done = root_->findChild<QPushButton*>(QStringLiteral("BtnTestLabel")))
            done->setEnabled(true);
          if (closing_) return;
          if (delivered) {
            ShowMessageBox(this, tr("测试标签已送到打印机 %1").arg(printer),
                           MessageKind::kInformation);
          } else {
            ShowMessageBox(this,
                           tr("测试标签没有送到打印机 %1：%2")
                               .arg(printer, ShownLibraryText(ToQString(delivered.text))),
                           MessageKind::kError);
          }
        },
        Qt::QueuedConnection);
  });
}

QString MainFrameWnd::PrinterSetting(const Json* printer, const char16_t* key) {
  const Json* value = printer ? printer->FindProperty(key) : nullptr;
  if (!value) {
    // What the layout uses when the file names nothing.
    if (key == std::u16string_view(u"lab_name")) return QStringLiteral("Tavrin产品溯源系统");
    if (key == std::u16string_view(u"device")) return QString();
    // The numbers: as the layout reads them from an empty "printer" object.
    const LabelLayout fallback = LabelLayout::FromJson(nullptr);
    const std::u16string_view k(key);
    const int number = k == u"width"     ? fallback.width
                       : k == u"height"  ? fallback.height
                       : k == u"line_y1" ? fallback.lineY1
                       : k == u"qr_x"    ? fallback.qrX
                       : k == u"qr_y"    ? fallback.qrY
                       : k == u"qr_w"    ? fallback.qrModule
                       : k == u"line_y2" ? std::stoi(fallback.lineY2Text)
                       : k == u"line_y3" ? std::stoi(fallback.lineY3Text)
                       : k == u"line_y4" ? std::stoi(fallback.lineY4Text)
                       : k == u"line_y5" ? std::stoi(fallback.lineY5Text)
                       : k == u"tr_x"    ? std::stoi(fallback.trXText)
                                         : std::stoi(fallback.trYText);
    return QString::number(number);
  }
  if (value->IsNumber()) return QString::number(value->Int32(0));
  String text;
  value->GetString(text);
  return ToQString(text);
}

void MainFrameWnd::SavePrinterSetting(const char16_t* key, const String& value) {
  Config config;
  Json* root = config.Root();
  if (!root) return;
  config.Commit();
  Json* printer = root->GetProperty(u"printer", true);
  if (!printer->IsObject()) printer->Reset();  // null (or not an object): one is made
  // The title and the destination are text; the size and positions are numbers.
  if (key == std::u16string_view(u"device") || key == std::u16string_view(u"lab_name")) {
    printer->SetPropertyStr(key, value.Handle());
  } else {
    printer->SetPropertyInt32(key, QString(ToQString(value)).trimmed().toInt());
  }
}

void MainFrameWnd::ShowLabelPreview() {
  auto* preview = root_->findChild<QLabel*>(QStringLiteral("LabelPreview"));
  if (!preview) return;
  const String id = settings_.deviceId.IsEmpty() ? String(u"0000000000000000") : settings_.deviceId;
  const QImage label = RenderTsplLabel(SampleLabel(
      LabelLayout::FromSettings(), settings_.queryUrl,
      FromQString(QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss"))), id));
  preview->setPixmap(label.isNull()
                         ? QPixmap()
                         : QPixmap::fromImage(label.scaledToWidth(260, Qt::SmoothTransformation)));
}

void MainFrameWnd::ShowSettingFields() {
  // One read of the file for the printer's fields.
  Json printer;
  {
    Config config;
    const Json* root = config.Root();
    const Json* stored = root ? root->FindProperty(u"printer") : nullptr;
    if (stored) {
      const String text = stored->ToText(false);
      printer.Parse(text.Handle(), static_cast<int>(text.Length()));
    }
  }
  for (const SettingField& field : SettingFields()) {
    auto* edit = root_->findChild<QLineEdit*>(QLatin1String(field.name));
    if (!edit) continue;
    const QSignalBlocker quiet(edit);
    edit->setText(field.printerKey ? PrinterSetting(&printer, field.printerKey)
                  : field.member   ? ToQString(settings_.*field.member)
                  : field.count    ? QString::number(settings_.*field.count)
                                   : QString::number(settings_.serverPort));
    root_->findChild<QLabel*>(QLatin1String(field.name) + QStringLiteral("Problem"))->hide();
  }
}

void MainFrameWnd::OnSettingFieldEdited(size_t index) {
  const std::vector<SettingField> fields = SettingFields();
  if (index >= fields.size()) return;
  const SettingField& field = fields[index];
  auto* edit = root_->findChild<QLineEdit*>(QLatin1String(field.name));
  auto* problemLabel =
      root_->findChild<QLabel*>(QLatin1String(field.name) + QStringLiteral("Problem"));
  const String typed = FromQString(field.password ? edit->text() : edit->text().trimmed());
  uint16_t port = 0;
  uint32_t count = 0;
  String problem;
  if (field.count) {
    problem = CheckCount(typed, field.most, count);
  } else if (field.axis) {
    const LabelLayout layout = LabelLayout::FromSettings();
    problem = CheckLabelPosition(typed, field.axis == 'x' ? layout.width : layout.height);
  } else {
    problem = field.check ? field.check(typed) : CheckPortNumber(typed, port);
  }
  if (!problem.IsEmpty()) {
    // Named beside the field; the setting in use stays as it was.
    problemLabel->setText(ShownLibraryText(ToQString(problem)));
    problemLabel->show();
    return;
  }
  problemLabel->hide();
  LogOperation(tr("设置"), field.label + QStringLiteral(" = ") +
                               (field.password ? QStringLiteral("******") : ToQString(typed)));
  if (field.printerKey) {
    // Labels read their layout from the file at every print: used at once.
    SavePrinterSetting(field.printerKey, typed);
    ShowLabelPreview();
    return;
  }
  if (field.count) {
    settings_.*field.count = count;
  } else if (!field.member) {
    settings_.serverPort = port;
  } else {
    settings_.*field.member = typed;
    if (field.member == &Settings::queryUrl) settings_.queryUrlFollowsHost = false;
    if (field.member == &Settings::serverHost && settings_.queryUrlFollowsHost) {
      // The trace address the file does not name follows the server.
      settings_.queryUrl = String(u"http://") + typed + u"/trace?uid=";
      if (auto* trace = root_->findChild<QLineEdit*>(QStringLiteral("EditQueryUrl"))) {
        const QSignalBlocker quiet(trace);
        trace->setText(ToQString(settings_.queryUrl));
      }
    }
  }
  settings_.Save();
}

void MainFrameWnd::ShowFirstStartGuide() {
  QStringList ports;
  for (uint32_t i = 0; i < ports_.Count(); ++i) {
    if (!IsLegacyPort(ports_[i])) ports << ToQString(ports_[i].friendlyName);
  }
  auto* guide = new FirstStartGuide(this, ports, [this](const FirstStartGuide::Values& v) {
    // Every value is checked before any is kept.
    String id = FromQString(v.deviceId);
    uint16_t port = settings_.serverPort;
    const struct {
      QString label;
      String problem;
    } checks[] = {
        {tr("设备ID"), v.deviceId.isEmpty() || CanonicalDeviceId(id)
                           ? String(u"")
                           : String(DeviceIdCheckMessage(CheckDeviceId(id)))},
        {tr("TCP 服务器地址"),
         v.serverHost.isEmpty() ? String(u"") : CheckHostName(FromQString(v.serverHost))},
        {tr("TCP 端口"),
         v.serverPort.isEmpty() ? String(u"") : CheckPortNumber(FromQString(v.serverPort), port)},
        {tr("标签打印机"), CheckLabelDestination(FromQString(v.printer))},
    };
    for (const auto& check : checks) {
      if (!check.problem.IsEmpty())
        return check.label + QStringLiteral("：") + ShownLibraryText(ToQString(check.problem));
    }
    if (!v.unitName.isEmpty()) settings_.unitName = FromQString(v.unitName);
    if (!v.deviceId.isEmpty()) {
      settings_.UseDeviceId(id);
      serialLink_.SetDeviceId(settings_.deviceId);
      comboDeviceId_->insertItem(0, ToQString(id));
      editDeviceId_->setText(ToQString(id));
    }
    if (!v.port.isEmpty()) {
      settings_.portName = FromQString(v.port);
      serialLink_.CloseSerialPort();  // the next tick opens the one chosen
    }
    if (!v.serverHost.isEmpty()) {
      settings_.serverHost = FromQString(v.serverHost);
      if (settings_.queryUrlFollowsHost)
        settings_.queryUrl = String(u"http://") + settings_.serverHost + u"/trace?uid=";
    }
    settings_.serverPort = port;
    settings_.Save();
    if (!v.printer.isEmpty()) SavePrinterSetting(u"device", FromQString(v.printer));
    ShowSettingFields();
    return QString();
  });
  guide->setAttribute(Qt::WA_DeleteOnClose);
  guide->show();
}

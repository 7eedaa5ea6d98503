// The settings page and the channel table: port, baud rate, device IDs,
// server type and the product names of the 20 channels. Each change is saved
// at once, except typed channel names, which wait for their save button.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/main_frame_wnd.h"
#include "device/device_id.h"
#include "store/record_store.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

namespace {

constexpr int kMaxDeviceIdLength = 16;

// Selects the first item showing `text`, without notifying; false when none does.
bool SelectText(QComboBox* combo, const String& text) {
  const int index = combo->findText(ToQString(text), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) return false;
  combo->setCurrentIndex(index);
  return true;
}

}  // namespace

void MainFrameWnd::ShowSettings() {
  ShowSettingFields();
  ShowLabelPreview();
  comboCom_->setCurrentIndex(comboCom_->findData(ToQString(settings_.portName)));
  SelectText(comboBits_, settings_.baudRate);
  comboServType_->setCurrentIndex(settings_.serverType == u"TCP服务器" ? 0 : 1);
  if (SelectText(comboDeviceId_, settings_.deviceId))
    editDeviceId_->setText(ToQString(settings_.deviceId));
}

void MainFrameWnd::OnSettingsComboSelected(QComboBox* combo) {
  const String text = FromQString(combo->currentText());
  if (combo == comboCom_) {
    settings_.portName = FromQString(combo->currentData().toString());  // the name, not its display
    settings_.Save();
    LogOperation(tr("设置"), tr("检测仪串口 = %1").arg(ToQString(settings_.portName)));
    serialLink_.CloseSerialPort();  // the port timer reopens it with the new choice
  } else if (combo == comboBits_) {
    settings_.baudRate = text;
    settings_.Save();
    LogOperation(tr("设置"), tr("波特率 = %1").arg(ToQString(text)));
    serialLink_.CloseSerialPort();
  } else if (combo == comboDeviceId_) {
    if (text == settings_.deviceId) return editDeviceId_->setText(ToQString(settings_.deviceId));
    ChangeDeviceId([this, text] { settings_.deviceId = text; },
                   [this](bool changed) {
                     // Not changed: the combo shows the ID in use again.
                     const QSignalBlocker quiet(comboDeviceId_);
                     if (!changed) SelectText(comboDeviceId_, settings_.deviceId);
                     editDeviceId_->setText(ToQString(settings_.deviceId));
                   });
  } else if (combo == comboServType_) {
    // The stored value is the Chinese name whatever the window's language shows.
    settings_.serverType = combo->currentIndex() == 0 ? u"TCP服务器" : u"HTTP服务器";
    settings_.Save();
    LogOperation(tr("设置"), tr("服务器类型 = %1").arg(ToQString(settings_.serverType)));
  }
}

void MainFrameWnd::OnDeviceIdTextChanged() {
  const QString text = editDeviceId_->text();
  if (text.size() <= kMaxDeviceIdLength) {
    textTipId_->clear();
    btnSaveDevice_->setEnabled(true);
    return;
  }
  editDeviceId_->setText(text.left(kMaxDeviceIdLength));
  editDeviceId_->setSelection(kMaxDeviceIdLength, 0);
  editDeviceId_->setCursorPosition(kMaxDeviceIdLength);
  textTipId_->setText(tr("ID长度不能超过16个字符"));
}

void MainFrameWnd::ChangeDeviceId(std::function<void()> change,
                                  std::function<void(bool changed)> after) {
  if (RefuseWhileBookBusy()) return after(false);
  // Records that do not name their ID yet were listed under the one in use:
  // they keep it, so their trace codes do not change with the new one. One
  // write; about two seconds at a million records an older version stored,
  // once, on a worker.
  RunOnFrozenBook(
      tr("正在保存已有记录的设备ID……"), [this] { return book_.PrepareKeepDeviceIds(); },
      [this, change, after](const RecordBook::Prepared& stamped) {
        if (!stamped.status) {
          ShowMessageBox(this,
                         tr("设备ID没有更改：未能在数据库 %1 中保存已有记录的设备ID（%2）。"
                            "请检查磁盘空间和数据库文件夹，然后再试。")
                             .arg(QString::fromStdString(options_.storageFolder))
                             .arg(ToQString(stamped.status.text)),
                         MessageKind::kError);
          return after(false);
        }
        change();
        settings_.Save();
        LogOperation(tr("设置"), tr("设备ID = %1").arg(ToQString(settings_.deviceId)));
        serialLink_.SetDeviceId(settings_.deviceId);
        after(true);
      });
}

void MainFrameWnd::SaveDeviceId() {
  String id = FromQString(editDeviceId_->text().trimmed());
  if (!CanonicalDeviceId(id)) {
    ShowMessageBox(this,
                   ShownLibraryText(QString::fromUtf16(DeviceIdCheckMessage(CheckDeviceId(id)))),
                   MessageKind::kError);
    return;
  }
  editDeviceId_->setText(ToQString(id));  // kept and shown in upper case
  auto index = std::make_shared<int>(0);
  // Saved also when the ID was in use already: the ID in use and the file
  // agree, so record hashes do not change back at the next start.
  ChangeDeviceId([this, id, index] { *index = settings_.UseDeviceId(id); },
                 [this, id, index](bool changed) {
                   if (!changed) return;
                   // The combo mirrors the known IDs: a new one went first.
                   if (comboDeviceId_->count() < static_cast<int>(settings_.knownDeviceIds.size()))
                     comboDeviceId_->insertItem(0, ToQString(id));
                   const QSignalBlocker quiet(comboDeviceId_);
                   comboDeviceId_->setCurrentIndex(*index);
                   btnSaveDevice_->setEnabled(false);
                 });
}

void MainFrameWnd::DeleteDeviceId() {
  const int index = comboDeviceId_->currentIndex();
  if (index < 0) return;
  ChangeDeviceId([this, index] { settings_.ForgetDeviceId(index); },
                 [this, index](bool changed) {
                   if (!changed) return;
                   const QSignalBlocker quiet(comboDeviceId_);
                   comboDeviceId_->removeItem(index);
                   comboDeviceId_->setCurrentIndex(settings_.knownDeviceIds.empty() ? -1 : 0);
                   editDeviceId_->setText(ToQString(settings_.deviceId));
                 });
}

void MainFrameWnd::FillChannelCombo(QComboBox* combo) {
  combo->clear();
  for (const String& choice : settings_.ChannelChoices()) combo->addItem(ToQString(choice));
  combo->setCurrentIndex(-1);
}

void MainFrameWnd::SaveProductConfig() {
  std::vector<String> names;
  for (QLineEdit* edit : channelEdits_) names.push_back(FromQString(edit->text()));
  settings_.SetChannelNames(names);
  for (QComboBox* combo : channelCombos_) FillChannelCombo(combo);
  settings_.Save();
  QStringList named;
  for (size_t i = 0; i < names.size(); ++i) {
    if (!names[i].IsEmpty()) named << QStringLiteral("%1 %2").arg(i + 1).arg(ToQString(names[i]));
  }
  LogOperation(tr("设置"), tr("通道产品名称 = %1").arg(named.join(QStringLiteral("，"))));
}

void MainFrameWnd::OnChannelComboSelected(int channel) {
  const String name = FromQString(channelCombos_[channel]->currentText());
  channelEdits_[channel]->setText(ToQString(name));
  settings_.productNames.Set(channel, name);
  settings_.Save();
  LogOperation(tr("设置"), tr("通道 %1 产品名称 = %2").arg(channel + 1).arg(ToQString(name)));
}

// The dispatch of operator actions: one notification, one command.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "app/main_frame_wnd.h"

void MainFrameWnd::ShowPage(int page) { switch_->setCurrentIndex(page); }

void MainFrameWnd::Notify(const Notification& n) {
  const QString& name = n.name;
  if (n.type == QLatin1String("windowinit")) return;
  if (n.type == QLatin1String("return")) {
    if (name == QLatin1String("EditCode")) OpenTracePage();
    return;
  }
  if (n.type == QLatin1String("click")) {
    if (n.sender == closebtn_) {
      QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    } else if (n.sender == minbtn_) {
      showMinimized();
    } else if (n.sender == maxbtn_) {
      showMaximized();
    } else if (n.sender == restorebtn_) {
      showNormal();
    } else if (name == QLatin1String("BtnSaveDevice")) {
      SaveDeviceId();
    } else if (name == QLatin1String("BtnDeleteDevice")) {
      DeleteDeviceId();
    } else if (name == QLatin1String("btn_export")) {
      ExportRecords();
    } else if (name == QLatin1String("btn_delete")) {
      DeleteSelectedRecords();
    } else if (name == QLatin1String("btn_print")) {
      PrintSelectedRecords();
    } else if (name == QLatin1String("btn_upload")) {
      UploadSelectedRecords();
    } else if (name == QLatin1String("BtnStopPrint")) {
      StopPrintJob();
    } else if (name == QLatin1String("BtnStopUpload")) {
      StopUploadSending();
    } else if (name == QLatin1String("selectbox")) {
      OnRecordCheckClicked(static_cast<_NcItemData*>(n.tag));
    } else if (name == QLatin1String("BtnSaveProductConfig")) {
      SaveProductConfig();
    }
    return;
  }
  if (n.type == QLatin1String("selectchanged")) {
    if (name == QLatin1String("data")) {
      ShowPage(0);
    } else if (name == QLatin1String("setup")) {
      ShowPage(1);
      ShowSettings();
    } else if (name == QLatin1String("scan")) {
      ShowPage(2);
    } else if (name == QLatin1String("info")) {
      ShowPage(3);
    } else if (name == QLatin1String("debug")) {
      ReplayCaptureFile();
    } else if (name == QLatin1String("selall")) {
      OnSelectAllChanged(qobject_cast<QCheckBox*>(n.sender));
    }
    return;
  }
  if (n.type == QLatin1String("itemselect")) {
    auto* combo = qobject_cast<QComboBox*>(n.sender);
    if (combo == comboCom_ || combo == comboBits_ || combo == comboDeviceId_ ||
        combo == comboServType_) {
      OnSettingsComboSelected(combo);
      return;
    }
    for (int i = 0; i < ProductNames::kChannels; ++i) {
      if (combo == channelCombos_[i]) OnChannelComboSelected(i);
    }
    return;
  }
  if (n.type == QLatin1String("textchanged") && n.sender == static_cast<QObject*>(editDeviceId_)) {
    OnDeviceIdTextChanged();
  }
}

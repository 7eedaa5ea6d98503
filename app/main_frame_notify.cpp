// The dispatch of operator actions: one table from (event, control name) to
// the command it runs. A new control needs one row here and nothing else.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "app/main_frame_wnd.h"

void MainFrameWnd::ShowPage(int page) { switch_->setCurrentIndex(page); }

void MainFrameWnd::Notify(const Notification& n) {
  using Handler = void (*)(MainFrameWnd&, const Notification&);
  struct Route {
    const char* event;
    const char* name;
    Handler handler;
  };
  static const Route kRoutes[] = {
      {"return", "EditCode", [](MainFrameWnd& w, const Notification&) { w.OpenTracePage(); }},
      // Closing is queued: the button's own click handling ends first.
      {"click", "closebtn",
       [](MainFrameWnd& w, const Notification&) {
         QMetaObject::invokeMethod(&w, &QWidget::close, Qt::QueuedConnection);
       }},
      {"click", "minbtn", [](MainFrameWnd& w, const Notification&) { w.showMinimized(); }},
      {"click", "maxbtn", [](MainFrameWnd& w, const Notification&) { w.showMaximized(); }},
      {"click", "restorebtn", [](MainFrameWnd& w, const Notification&) { w.showNormal(); }},
      {"click", "BtnSaveDevice", [](MainFrameWnd& w, const Notification&) { w.SaveDeviceId(); }},
      {"click", "BtnDeleteDevice",
       [](MainFrameWnd& w, const Notification&) { w.DeleteDeviceId(); }},
      {"click", "btn_export", [](MainFrameWnd& w, const Notification&) { w.ExportRecords(); }},
      {"click", "btn_notice", [](MainFrameWnd& w, const Notification&) { w.SaveResultsNotice(); }},
      {"click", "BtnStopOutput", [](MainFrameWnd& w, const Notification&) { w.StopOutput(); }},
      {"selectchanged", "stats",
       [](MainFrameWnd& w, const Notification&) {
         w.ShowPage(MainFrameWnd::kStatsPage);
         w.ShowStatistics();
       }},
      {"click", "btn_delete",
       [](MainFrameWnd& w, const Notification&) { w.DeleteSelectedRecords(); }},
      {"click", "btn_recycle", [](MainFrameWnd& w, const Notification&) { w.ShowRecycleBin(); }},
      {"click", "btn_print",
       [](MainFrameWnd& w, const Notification&) { w.PrintSelectedRecords(); }},
      {"click", "btn_upload",
       [](MainFrameWnd& w, const Notification&) { w.UploadSelectedRecords(); }},
      {"click", "BtnStopPrint", [](MainFrameWnd& w, const Notification&) { w.StopPrintJob(); }},
      {"click", "BtnStopUpload",
       [](MainFrameWnd& w, const Notification&) { w.StopUploadSending(); }},
      {"click", "selectbox",
       [](MainFrameWnd& w, const Notification& n) {
         w.OnRecordCheckClicked(static_cast<_NcItemData*>(n.tag));
       }},
      {"click", "BtnSaveProductConfig",
       [](MainFrameWnd& w, const Notification&) { w.SaveProductConfig(); }},
      {"selectchanged", "data", [](MainFrameWnd& w, const Notification&) { w.ShowPage(0); }},
      {"selectchanged", "setup",
       [](MainFrameWnd& w, const Notification&) {
         w.ShowPage(1);
         w.ShowSettings();
       }},
      {"selectchanged", "scan", [](MainFrameWnd& w, const Notification&) { w.ShowPage(2); }},
      {"selectchanged", "info", [](MainFrameWnd& w, const Notification&) { w.ShowPage(3); }},
      {"selectchanged", "debug",
       [](MainFrameWnd& w, const Notification&) { w.ReplayCaptureFile(); }},
      {"selectchanged", "selall",
       [](MainFrameWnd& w, const Notification& n) {
         w.OnSelectAllChanged(qobject_cast<QCheckBox*>(n.sender));
       }},
      {"itemselect", "ComboCom", &MainFrameWnd::OnSettingsComboNotified},
      {"itemselect", "ComboBits", &MainFrameWnd::OnSettingsComboNotified},
      {"itemselect", "ComboDeviceId", &MainFrameWnd::OnSettingsComboNotified},
      {"itemselect", "ComboServType", &MainFrameWnd::OnSettingsComboNotified},
      {"textchanged", "EditFind", [](MainFrameWnd& w, const Notification&) { w.ApplyFindBar(); }},
      {"selectchanged", "CheckDate",
       [](MainFrameWnd& w, const Notification&) { w.ApplyFindBar(); }},
      {"datechanged", "DateFrom", [](MainFrameWnd& w, const Notification&) { w.ApplyFindBar(); }},
      {"datechanged", "DateTo", [](MainFrameWnd& w, const Notification&) { w.ApplyFindBar(); }},
      {"itemselect", "ComboResult", [](MainFrameWnd& w, const Notification&) { w.ApplyFindBar(); }},
      {"itemselect", "ComboUploaded",
       [](MainFrameWnd& w, const Notification&) { w.ApplyFindBar(); }},
      {"click", "BtnToday",
       [](MainFrameWnd& w, const Notification&) {
         w.SetDateRange(MainFrameWnd::DateShortcut::kToday);
       }},
      {"click", "BtnWeek",
       [](MainFrameWnd& w, const Notification&) {
         w.SetDateRange(MainFrameWnd::DateShortcut::kLastSevenDays);
       }},
      {"click", "BtnMonth",
       [](MainFrameWnd& w, const Notification&) {
         w.SetDateRange(MainFrameWnd::DateShortcut::kThisMonth);
       }},
      {"click", "BtnClearFind", [](MainFrameWnd& w, const Notification&) { w.ClearFind(); }},
      {"textchanged", "EditDeviceId",
       [](MainFrameWnd& w, const Notification&) { w.OnDeviceIdTextChanged(); }},
  };
  for (const Route& route : kRoutes) {
    if (n.type == QLatin1String(route.event) && n.name == QLatin1String(route.name)) {
      route.handler(*this, n);
      return;
    }
  }
  // The channel table's combos are made in code, one per channel.
  if (n.type == QLatin1String("itemselect")) {
    for (int i = 0; i < ProductNames::kChannels; ++i) {
      if (n.sender == channelCombos_[i]) OnChannelComboSelected(i);
    }
  }
}

void MainFrameWnd::OnSettingsComboNotified(MainFrameWnd& w, const Notification& n) {
  if (auto* combo = qobject_cast<QComboBox*>(n.sender)) w.OnSettingsComboSelected(combo);
}

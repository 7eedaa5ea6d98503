// The dispatch of operator actions: one notification, one command.
#include <QCheckBox>
#include <QPushButton>
#include <QStackedWidget>

#include "app/main_frame_wnd.h"

void MainFrameWnd::ShowPage(int page) { switch_->setCurrentIndex(page); }

void MainFrameWnd::Notify(const Notification& n) {
  const QString& name = n.name;
  if (n.type == QLatin1String("windowinit")) return;
  if (n.type == QLatin1String("click")) {
    if (n.sender == closebtn_) {
      QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    } else if (n.sender == minbtn_) {
      showMinimized();
    } else if (n.sender == maxbtn_) {
      showMaximized();
    } else if (n.sender == restorebtn_) {
      showNormal();
    } else if (name == QLatin1String("selectbox")) {
      OnRecordCheckClicked(static_cast<_NcItemData*>(n.tag));
    }
    return;
  }
  if (n.type == QLatin1String("selectchanged")) {
    if (name == QLatin1String("data")) {
      ShowPage(0);
    } else if (name == QLatin1String("setup")) {
      ShowPage(1);
    } else if (name == QLatin1String("scan")) {
      ShowPage(2);
    } else if (name == QLatin1String("info")) {
      ShowPage(3);
    } else if (name == QLatin1String("debug")) {
      ReplayCaptureFile();
    } else if (name == QLatin1String("selall")) {
      OnSelectAllChanged(qobject_cast<QCheckBox*>(n.sender));
    }
  }
}

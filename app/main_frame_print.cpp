// Label printing: the print job steps on the UI thread (its timer, its cursor
// over the live list), and each label goes to the printer on the delivery
// worker, so the window never waits on a printer.
#include <QLabel>
#include <QPushButton>

#include "app/main_frame_wnd.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

void MainFrameWnd::PrintSelectedRecords() {
  if (settings_.deviceId.IsEmpty()) {
    ShowMessageBox(this, tr("请先设置设备ID，点击“设置”按钮，填写设备标签上的ID，并且点击保存。"),
                   MessageKind::kError);
    return;
  }
  if (printJob_.IsRunning()) {
    ShowMessageBox(this, tr("正在打印，请等待之前的打印完成"), MessageKind::kError);
    return;
  }
  const LabelLayout layout = LabelLayout::FromSettings();
  labelDelivery_ = std::make_unique<LabelDelivery>(
      OpenLabelTransport(layout.device, options_.timing.labelTimeouts));
  printJob_.Start(&book_.Records(), settings_.queryUrl,
                  std::make_unique<LabelPrinter>(layout, std::make_unique<NoLabelTransport>()),
                  labelDelivery_->Destination());
  ++printJobNumber_;
  labelInFlight_ = false;
  printStepDue_ = false;
  OnPrintTimer();
}

// One step of the job: the next label is laid out and handed to the delivery
// worker, and the step after it comes one interval later, but never while a
// label is still in flight.
void MainFrameWnd::OnPrintTimer() {
  if (!printJob_.IsRunning()) return;
  if (labelInFlight_) {
    printStepDue_ = true;
    return;
  }
  printStepDue_ = false;
  std::string tspl;
  if (printJob_.OnPrintTimer(tspl) == PrintJob::Step::kFinished) {
    EndPrintJob(false);
    return;
  }
  labelInFlight_ = true;
  const uint64_t job = printJobNumber_;
  labelDelivery_->Submit(std::move(tspl), [this, job](bool delivered, const String& error) {
    QMetaObject::invokeMethod(
        this, [this, job, delivered, error] { OnLabelDelivered(job, delivered, error); },
        Qt::QueuedConnection);
  });
  printTimer_.start(options_.timing.printIntervalMs);
  UpdatePrintProgress();
}

void MainFrameWnd::OnLabelDelivered(uint64_t job, bool delivered, const String& error) {
  if (job != printJobNumber_ || !printJob_.IsRunning()) return;  // a stopped job's label
  labelInFlight_ = false;
  printJob_.LabelDelivered(delivered, error);
  if (!delivered) {
    EndPrintJob(true);
    return;
  }
  UpdatePrintProgress();
  if (printStepDue_) OnPrintTimer();
}

void MainFrameWnd::StopPrintJob() {
  if (!printJob_.IsRunning()) return;
  EndPrintJob(false);
}

void MainFrameWnd::EndPrintJob(bool failed) {
  ++printJobNumber_;  // whatever the worker still reports belongs to no job
  printTimer_.stop();
  printJob_.Stop();
  if (labelDelivery_) labelDelivery_->Abort();  // a label still in flight is not counted
  labelInFlight_ = false;
  printStepDue_ = false;
  UpdatePrintProgress();
  LogOperation(
      tr("打印标签"),
      tr("%n 个标签到 %1", nullptr, printJob_.Printed()).arg(ToQString(printJob_.Destination())) +
          (failed ? tr("，未完成：%1").arg(ShownLibraryText(ToQString(printJob_.FailureText())))
                  : QString()));
  if (closing_) return;
  if (failed) {
    ShowMessageBox(this,
                   tr("标签没有送到打印机 %1：%2\n已打印 %3 个标签")
                       .arg(ToQString(printJob_.Destination()),
                            ShownLibraryText(ToQString(printJob_.FailureText())))
                       .arg(printJob_.Printed()),
                   MessageKind::kError);
    return;
  }
  ShowMessageBox(this, tr("打印完成，共打印了 %n 个标签", nullptr, printJob_.Printed()),
                 MessageKind::kInformation);
}

// "正在打印 3/20": labels handed over, of those plus the ticked records the job
// has still to reach.
void MainFrameWnd::UpdatePrintProgress() {
  const bool running = printJob_.IsRunning();
  if (running) {
    const int handed = printJob_.HandedOver();
    textPrintProgress_->setText(
        tr("正在打印 %1/%2").arg(handed).arg(handed + printJob_.TickedAhead()));
  }
  textPrintProgress_->setVisible(running);
  btnStopPrint_->setVisible(running);
}

// The recycle bin in the window: "删除" moves ticked records there; "回收站"
// lists them with the time they were deleted, puts ticked ones back or
// removes them for good; entries older than "recycle_days" are offered for
// removal at start.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <set>

#include "app/main_frame_wnd.h"
#include "app/recycle_bin_model.h"
#include "base/calendar.h"
#include "store/record_store.h"
#include "store/recycle_bin.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

void MainFrameWnd::InitRecycleBin() {
  recycleBin_ =
      std::make_unique<RecycleBin>(recordDb_, RecycleBin::FolderFor(options_.storageFolder));
  // Deletes fail while the bin cannot be written: nothing goes for good unasked.
  book_.SetRecycleBin(recycleBin_.get());
  uint32_t finished = 0;
  const DbStatus status = recycleBin_->FinishInterrupted(&finished);
  if (!status) {
    const QString text =
        tr("回收站 %1 无法打开，暂时不能删除记录：%2")
            .arg(QString::fromStdString(RecycleBin::FolderFor(options_.storageFolder)),
                 ToQString(status.text));
    QMetaObject::invokeMethod(
        this,
        [this, text] {
          if (!closing_) ShowMessageBox(this, text, MessageKind::kError);
        },
        Qt::QueuedConnection);
  }
  if (finished > 0) interruptedMoves_ = finished;
}

void MainFrameWnd::OfferRecyclePurge() {
  if (interruptedMoves_ > 0) {
    LogOperation(tr("修复"), tr("完成上次中断的删除或恢复：%n 条记录", nullptr,
                                static_cast<int>(interruptedMoves_)));
  }
  if (!recycleBin_ || !recycleBin_->OpenStatus()) return;
  const String limit = LocalTimeText(static_cast<int64_t>(std::time(nullptr)) -
                                     static_cast<int64_t>(settings_.recycleDays) * 24 * 3600);
  const std::vector<std::string> old = recycleBin_->DeletedBefore(limit);
  if (old.empty()) return;
  const unsigned days = settings_.recycleDays;
  QMetaObject::invokeMethod(
      this,
      [this, old, days] {
        if (closing_) return;
        const QString question =
            tr("回收站里有 %1 条记录删除已超过 %2 天，彻底删除它们？彻底删除后无法恢复。")
                .arg(old.size())
                .arg(days);
        if (!ShowMessageBox(this, question, MessageKind::kConfirm)) return;
        PurgeFromBin(old, tr("清理回收站"));
      },
      Qt::QueuedConnection);
}

bool MainFrameWnd::PurgeFromBin(const std::vector<std::string>& ids, const QString& operation) {
  const DbStatus purged = recycleBin_->Purge(ids);
  if (!purged) {
    ShowMessageBox(this, tr("未能彻底删除，记录仍在回收站里：%1").arg(ToQString(purged.text)),
                   MessageKind::kError);
    return false;
  }
  LogOperation(operation, tr("%n 条记录", nullptr, static_cast<int>(ids.size())));
  return true;
}

void MainFrameWnd::ShowRecycleBin() {
  if (!recycleBin_) return;
  QDialog dialog(this);
  dialog.setWindowTitle(tr("回收站"));
  dialog.resize(760, 460);
  auto* layout = new QVBoxLayout(&dialog);
  auto* summary = new QLabel;
  summary->setObjectName(QStringLiteral("TextRecycleCount"));
  layout->addWidget(summary);
  auto* model = new RecycleBinModel(&dialog);
  auto* table = new QTableView;
  table->setObjectName(QStringLiteral("RecycleBinTable"));
  table->setModel(model);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table);
  auto* row = new QHBoxLayout;
  auto* all = new QCheckBox(tr("全选"));
  all->setObjectName(QStringLiteral("CheckRecycleAll"));
  auto* restore = new QPushButton(tr("恢复"));
  restore->setObjectName(QStringLiteral("BtnRestoreDeleted"));
  auto* purge = new QPushButton(tr("彻底删除"));
  purge->setObjectName(QStringLiteral("BtnPurgeDeleted"));
  auto* close = new QPushButton(tr("关闭"));
  row->addWidget(all);
  row->addStretch(1);
  row->addWidget(restore);
  row->addWidget(purge);
  row->addWidget(close);
  layout->addLayout(row);

  auto fill = [this, model, table, summary, all] {
    DbStatus read;
    model->Reset(recycleBin_->Entries(&read), settings_.deviceId);
    table->resizeColumnsToContents();
    const QSignalBlocker quiet(all);
    all->setChecked(false);
    summary->setText(
        read ? tr("回收站里有 %n 条记录，删除超过 %1 天的记录在程序启动时提示彻底删除。", nullptr,
                  model->rowCount())
                   .arg(settings_.recycleDays)
             : tr("回收站有损坏的部分，只列出了能读出的记录：%1").arg(ToQString(read.text)));
  };
  connect(all, &QCheckBox::toggled, &dialog, [model](bool on) { model->TickAll(on); });
  connect(restore, &QPushButton::clicked, &dialog, [this, model, fill, &dialog] {
    const std::vector<std::string> chosen = model->TickedIds();
    if (chosen.empty()) {
      ShowMessageBox(this, tr("请先勾选要恢复的记录"), MessageKind::kError);
      return;
    }
    // A long restore ends on a worker: the list is filled again if still open.
    QPointer<QDialog> open(&dialog);
    RestoreFromBin(chosen, [open, fill] {
      if (open) fill();
    });
  });
  connect(purge, &QPushButton::clicked, &dialog, [this, model, fill] {
    const std::vector<std::string> chosen = model->TickedIds();
    if (chosen.empty()) {
      ShowMessageBox(this, tr("请先勾选要彻底删除的记录"), MessageKind::kError);
      return;
    }
    const QString question =
        tr("彻底删除 %n 条记录？彻底删除后无法恢复。", nullptr, static_cast<int>(chosen.size()));
    if (!ShowMessageBox(this, question, MessageKind::kConfirm)) return;
    if (PurgeFromBin(chosen, tr("彻底删除"))) fill();
  });
  connect(close, &QPushButton::clicked, &dialog, &QDialog::reject);
  fill();
  if (options_.recycleBinShown) {
    options_.recycleBinShown(dialog);
    return;
  }
  dialog.exec();
}

void MainFrameWnd::QueueRestoredRecords(const std::vector<std::string>& ids,
                                        const std::vector<std::string>& clashes) {
  // With automatic upload on, a restored record not yet uploaded is queued
  // again (its deletion took it out of the queue).
  if (!settings_.autoUpload) return;
  std::set<std::string> keys;
  for (const std::string& id : ids) {
    if (std::find(clashes.begin(), clashes.end(), id) == clashes.end())
      keys.insert(RecycleBin::KeyOf(id));
  }
  std::vector<uint32_t> waiting;
  const NcItemList& records = book_.Records();
  // Restored records were appended: they are near the end.
  for (uint32_t i = records.Count(); i-- > 0 && !keys.empty();) {
    const auto it = keys.find(StoredKeyBytes(records[i]));
    if (it == keys.end()) continue;
    keys.erase(it);
    if (!records[i].uploaded) waiting.push_back(i);
  }
  std::reverse(waiting.begin(), waiting.end());
  QueueStoredRecords(waiting);
}

void MainFrameWnd::RestoreFromBin(const std::vector<std::string>& ids,
                                  std::function<void()> refresh) {
  if (RefuseWhileBookBusy()) return;
  auto clashes = std::make_shared<std::vector<std::string>>();
  const String deviceId = settings_.deviceId;
  RunOnFrozenBook(
      tr("正在恢复……"),
      [this, ids, deviceId, clashes] { return book_.PrepareRestore(ids, deviceId, clashes.get()); },
      [this, ids, clashes, refresh](const RecordBook::Prepared& restored) {
        if (refresh) refresh();
        if (!restored.status) {
          ShowMessageBox(this,
                         tr("未能恢复，记录仍在回收站里：%1").arg(ToQString(restored.status.text)),
                         MessageKind::kError);
          return;
        }
        LogOperation(tr("恢复"), tr("%n 条记录", nullptr, static_cast<int>(restored.count)));
        QueueRestoredRecords(ids, *clashes);
        QString text = tr("已恢复 %n 条记录", nullptr, static_cast<int>(restored.count));
        if (!clashes->empty()) {
          text += QStringLiteral("\n") +
                  tr("另有 %n 条没有恢复：同一检测时间下已经存有另一条记录，它们留在回收站里。",
                     nullptr, static_cast<int>(clashes->size()));
        }
        ShowMessageBox(this, text, MessageKind::kInformation);
      });
}

// Backups in the window: "备份数据" into a chosen folder, the automatic one
// into "backup_dir" (at the day's first start, and at close when the newest
// is older than a day, keeping the newest "backup_keep"), and "从备份恢复".
// The copying runs on a worker with its progress and a stop on the about
// page; only the swap of a restore holds the records for a moment.
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <chrono>

#include "app/main_frame_wnd.h"
#include "base/calendar.h"
#include "store/backup.h"
#include "store/recycle_bin.h"
#include "ui/file_dialog.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

namespace {

QString Shown(const Status& status) { return ShownLibraryText(ToQString(status.text)); }

std::string NowText() { return LocalNowText().ToBytes(cp::kUtf8); }

// Whether the newest backup under `folder` is older than a day (or missing).
bool BackupDue(const std::string& folder, const std::string& now, bool sameDayIsEnough) {
  const std::string newest = NewestBackupTime(folder);
  if (newest.empty()) return true;
  if (sameDayIsEnough) return newest.substr(0, 10) != now.substr(0, 10);
  const QDateTime made =
      QDateTime::fromString(QString::fromStdString(newest), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  return !made.isValid() || made.secsTo(QDateTime::currentDateTime()) >= 24 * 3600;
}

}  // namespace

std::function<bool(uint64_t, uint64_t)> MainFrameWnd::BackupJobProgress() {
  // In KiB: the job's counts are size_t, and a stop asked for stops the copy.
  return [this](uint64_t done, uint64_t total) {
    return backupJob_.Report(static_cast<size_t>(done >> 10), static_cast<size_t>(total >> 10));
  };
}

void MainFrameWnd::InitBackup() {
  auto* row = root_->findChild<QHBoxLayout*>(QStringLiteral("debugRow"));
  if (!row) return;
  const struct {
    const char* name;
    QString text;
    void (MainFrameWnd::*run)();
  } buttons[] = {{"BtnBackup", tr("备份数据"), &MainFrameWnd::BackUpToChosenFolder},
                 {"BtnRestoreBackup", tr("从备份恢复"), &MainFrameWnd::RestoreFromChosenBackup},
                 {"BtnStopBackup", tr("停止"), &MainFrameWnd::StopBackup}};
  for (const auto& b : buttons) {
    auto* button = new QPushButton(b.text);
    button->setObjectName(QLatin1String(b.name));
    row->insertWidget(row->count() - 1, button);
    connect(button, &QPushButton::clicked, this, b.run);
  }
  backupProgress_ = new QLabel;
  backupProgress_->setObjectName(QStringLiteral("TextBackupProgress"));
  row->insertWidget(row->count() - 1, backupProgress_);
  ShowBackupState(QString());
  // The day's first start makes one by itself (after the window is up).
  if (!settings_.backupDir.IsEmpty()) {
    QMetaObject::invokeMethod(
        this, [this] { StartBackup(ToQString(settings_.backupDir), BackupKind::kDaily); },
        Qt::QueuedConnection);
  }
}

void MainFrameWnd::ShowBackupState(const QString& text) {
  if (!backupProgress_) return;
  backupProgress_->setText(text);
  const bool busy = backupJob_.IsActive();
  for (const char* name : {"BtnBackup", "BtnRestoreBackup"}) {
    if (auto* b = root_->findChild<QPushButton*>(QLatin1String(name))) b->setEnabled(!busy);
  }
  if (auto* stop = root_->findChild<QPushButton*>(QStringLiteral("BtnStopBackup")))
    stop->setVisible(busy);
}

void MainFrameWnd::BackUpToChosenFolder() {
  const QString start = ToQString(settings_.backupDir);
  const QString folder = AskFolder(this, tr("选择备份存放的文件夹"), start);
  if (!folder.isEmpty()) StartBackup(folder, BackupKind::kChosen);
}

void MainFrameWnd::StopBackup() { backupJob_.RequestStop(); }

void MainFrameWnd::StartBackup(const QString& folder, BackupKind kind) {
  if (closing_) return;
  if (backupJob_.IsActive()) {
    if (kind == BackupKind::kChosen)
      ShowMessageBox(this, tr("正在备份或恢复，请等它结束"), MessageKind::kError);
    return;
  }
  const std::string parent = folder.toStdString();
  const uint32_t keep = settings_.backupKeep;
  backupVerb_ = tr("正在备份 %1%");
  backupJob_.Start(0, [this, parent, kind, keep] {
    const std::string now = NowText();
    auto outcome = std::make_shared<BackupOutcome>();
    auto pruned = std::make_shared<size_t>(0);
    const bool due =
        kind == BackupKind::kChosen || BackupDue(parent, now, kind == BackupKind::kDaily);
    if (due) {
      *outcome = MakeBackup(recordDb_, &recycleBin_->Database(), options_.storageFolder, parent,
                            BackupStamp(now), now, BackupJobProgress());
      if (outcome->status && kind != BackupKind::kChosen)
        *pruned = PruneBackups(parent, keep).size();
    }
    QMetaObject::invokeMethod(
        this,
        [this, outcome, pruned, due, kind, parent] {
          backupJob_.Ended();
          ShowBackupState(QString());
          if (due) BackupEnded(*outcome, *pruned, kind, QString::fromStdString(parent));
        },
        Qt::QueuedConnection);
  });
  ShowBackupState(tr("正在备份……"));
}

void MainFrameWnd::BackupEnded(const BackupOutcome& outcome, size_t pruned, BackupKind kind,
                               const QString& parent) {
  if (!outcome.status) {
    if (!closing_) {
      ShowMessageBox(this, tr("备份到 %1 没有完成：%2").arg(parent, Shown(outcome.status)),
                     MessageKind::kError);
    }
    return;
  }
  QString details = tr("%n 条记录", nullptr, static_cast<int>(outcome.manifest.records)) +
                    QStringLiteral(" → ") + QString::fromStdString(outcome.folder);
  if (pruned > 0) details += tr("；删除了 %n 份旧备份", nullptr, static_cast<int>(pruned));
  LogOperation(kind == BackupKind::kChosen ? tr("备份") : tr("自动备份"), details);
  if (closing_) return;
  const QString done =
      tr("已备份 %n 条记录到 %1", nullptr, static_cast<int>(outcome.manifest.records))
          .arg(QString::fromStdString(outcome.folder));
  if (kind == BackupKind::kChosen) {
    ShowMessageBox(this, done, MessageKind::kInformation);
  } else {
    ShowBackupState(done);
  }
}

void MainFrameWnd::BackUpAtClose() {
  // Called once the receive thread has stopped: the backup holds every record.
  if (settings_.backupDir.IsEmpty() || !recycleBin_) return;
  const std::string parent = settings_.backupDir.ToBytes(cp::kUtf8);
  const std::string now = NowText();
  if (!BackupDue(parent, now, false)) return;
  // A backup at close that cannot finish in time is given up (and removed):
  // the window does not hang on a slow or vanished disk.
  const auto deadline = std::chrono::steady_clock::now() + options_.timing.closingBackup;
  const BackupOutcome outcome = MakeBackup(
      recordDb_, &recycleBin_->Database(), options_.storageFolder, parent, BackupStamp(now), now,
      [deadline](uint64_t, uint64_t) { return std::chrono::steady_clock::now() < deadline; });
  size_t pruned = 0;
  if (outcome.status) pruned = PruneBackups(parent, settings_.backupKeep).size();
  BackupEnded(outcome, pruned, BackupKind::kAtClose, ToQString(settings_.backupDir));
}

void MainFrameWnd::RestoreFromChosenBackup() {
  if (backupJob_.IsActive()) {
    ShowMessageBox(this, tr("正在备份或恢复，请等它结束"), MessageKind::kError);
    return;
  }
  if (RefuseWhileBookBusy()) return;
  const QString folder =
      AskFolder(this, tr("选择要恢复的备份文件夹"), ToQString(settings_.backupDir));
  if (folder.isEmpty()) return;
  const std::string backup = folder.toStdString();
  backupVerb_ = tr("正在检查备份 %1%");
  backupJob_.Start(0, [this, backup] {
    auto check = std::make_shared<BackupCheck>(VerifyBackup(backup, BackupJobProgress()));
    QMetaObject::invokeMethod(
        this,
        [this, check, backup] {
          backupJob_.Ended();
          ShowBackupState(QString());
          if (!closing_) ConfirmRestore(backup, *check);
        },
        Qt::QueuedConnection);
  });
  ShowBackupState(tr("正在检查备份……"));
}

void MainFrameWnd::ConfirmRestore(const std::string& backup, const BackupCheck& check) {
  const QString folder = QString::fromStdString(backup);
  if (!check.ok) {
    ShowMessageBox(this,
                   tr("备份 %1 已损坏，没有恢复：%2")
                       .arg(folder, ShownLibraryText(QString::fromStdString(check.problem))),
                   MessageKind::kError);
    return;
  }
  if (book_.WaitingCount() > 0) {
    ShowMessageBox(this, tr("有记录还没存进数据库，请等它们存好后再恢复"), MessageKind::kError);
    return;
  }
  const QString question = tr("用 %1 的备份（%2 条记录，检测时间 %3 至 %4）替换当前的 %5 条记录？\n"
                              "当前的数据库会完整保存在旁边一个带日期的文件夹里。")
                               .arg(QString::fromStdString(check.manifest.made))
                               .arg(check.manifest.records)
                               .arg(QString::fromStdString(check.manifest.firstTestTime),
                                    QString::fromStdString(check.manifest.lastTestTime))
                               .arg(book_.Records().Count());
  if (!ShowMessageBox(this, question, MessageKind::kConfirm)) return;
  const std::string stamp = BackupStamp(NowText());
  backupVerb_ = tr("正在复制备份 %1%");
  backupJob_.Start(0, [this, backup, stamp] {
    auto aside = std::make_shared<std::string>();
    auto staged = std::make_shared<Status>(
        StageRestore(backup, options_.storageFolder, stamp, *aside, BackupJobProgress()));
    QMetaObject::invokeMethod(
        this,
        [this, staged, aside, backup] {
          backupJob_.Ended();
          ShowBackupState(QString());
          if (closing_) return;  // the journal finishes the swap at the next start
          if (!*staged) {
            ShowMessageBox(this, tr("没有恢复：%1").arg(Shown(*staged)), MessageKind::kError);
            return;
          }
          SwapInRestoredDatabase(backup, *aside);
        },
        Qt::QueuedConnection);
  });
  ShowBackupState(tr("正在复制备份……"));
}

void MainFrameWnd::SwapInRestoredDatabase(const std::string& backup, const std::string& aside) {
  // Both databases closed for the renames; the capture thread's writes wait
  // meanwhile and go to the restored database.
  auto swapped = std::make_shared<Status>(Status::Ok());
  const String deviceId = settings_.deviceId;
  RunOnFrozenBook(
      tr("正在恢复……"),
      [this, swapped, deviceId] {
        recordDb_.WhileClosed([&] {
          recycleBin_->Database().WhileClosed(
              [&] { *swapped = FinishInterruptedRestore(options_.storageFolder); });
        });
        return book_.PrepareReload(deviceId);
      },
      [this, swapped, backup, aside](const RecordBook::Prepared& reloaded) {
        if (!*swapped) {
          ShowMessageBox(this, tr("没有恢复：%1").arg(Shown(*swapped)), MessageKind::kError);
          return;
        }
        LogOperation(tr("从备份恢复"),
                     tr("%n 条记录", nullptr, static_cast<int>(reloaded.count)) +
                         QStringLiteral(" ← ") + QString::fromStdString(backup) +
                         tr("；原数据库保存在 %1").arg(QString::fromStdString(aside)));
        ShowMessageBox(this,
                       tr("已从备份恢复 %n 条记录。原来的数据库保存在 %1", nullptr,
                          static_cast<int>(reloaded.count))
                           .arg(QString::fromStdString(aside)),
                       MessageKind::kInformation);
      });
}

// The record commands that write a file or remove records: the text export
// and deletion.
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "app/main_frame_wnd.h"
#include "base/file_io.h"
#include "output/csv_export.h"
#include "output/export_text.h"
#include "output/results_notice.h"
#include "output/xlsx_export.h"
#include "store/record_stats.h"
#include "store/record_store.h"
#include "ui/file_dialog.h"
#include "ui/library_texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "ui/url_opener.h"

namespace {

// The name the save dialogs propose: what and the day, "检测记录-20261206".
QString ProposedName(const QString& what, const QDate& day) {
  return QStringLiteral("%1-%2").arg(what, day.toString(QStringLiteral("yyyyMMdd")));
}

// The path with `extension` added when the operator typed no extension.
QString WithExtension(const QString& path, const QString& extension) {
  return QFileInfo(path).suffix().isEmpty() ? path + extension : path;
}

}  // namespace

void MainFrameWnd::ExportRecords() {
  if (outputJob_.IsActive()) {
    ShowMessageBox(this, tr("正在写入文件，请等它写完或按“停止”"), MessageKind::kError);
    return;
  }
  // The text file holds every record; the spreadsheet files hold the rows
  // shown, filter and order applied. A name typed without an extension gets
  // the one of the kind chosen.
  const QStringList filters = {tr("文本文件（全部记录） (*.txt)"), tr("CSV 文件 (*.csv)"),
                               tr("Excel 工作簿 (*.xlsx)")};
  int chosen = 0;
  QString path = AskSaveFileName(this, filters, ProposedName(tr("检测记录"), Today()), &chosen);
  if (path.isEmpty()) return;
  const OutputKind kinds[] = {OutputKind::kText, OutputKind::kCsv, OutputKind::kXlsx};
  const QString extensions[] = {QStringLiteral(".txt"), QStringLiteral(".csv"),
                                QStringLiteral(".xlsx")};
  const int kind = chosen >= 0 && chosen < 3 ? chosen : 0;
  path = WithExtension(path, extensions[kind]);
  if (AcceptsOutput(path)) StartOutput(kinds[kind], path);
}

void MainFrameWnd::DeleteSelectedRecords() {
  if (RefuseWhileBookBusy()) return;
  // Ticks are stored and may lie far out of view or behind the filter: the
  // question says how many go.
  const uint32_t ticked = book_.GetCounts().ticked;
  const uint32_t shownTicked = book_.GetCounts().shownTicked;
  const QString question =
      ticked > shownTicked
          ? tr("删除 %1 条记录（其中 %2 条不在当前列表中）？").arg(ticked).arg(ticked - shownTicked)
          : tr("删除 %n 条记录？", nullptr, static_cast<int>(ticked));
  if (!ShowMessageBox(this, question, MessageKind::kConfirm)) return;
  RunOnFrozenBook(
      tr("正在删除……"), [this] { return book_.PrepareDeleteTicked(); },
      [this](const RecordBook::Prepared& deleted) {
        if (!deleted.status) {
          // One write, all or none: every row stays, as every record is still stored.
          ShowMessageBox(this, tr("未能删除，记录都还在：%1").arg(ToQString(deleted.status.text)),
                         MessageKind::kError);
          return;
        }
        LogOperation(tr("删除"), tr("%n 条记录", nullptr, static_cast<int>(deleted.count)));
        ShowMessageBox(this,
                       tr("已删除 %n 条数据!", nullptr, static_cast<int>(deleted.count)) +
                           QStringLiteral("\n") + tr("删除的记录在“回收站”里，可以恢复。"),
                       MessageKind::kInformation);
      });
}

void MainFrameWnd::SaveResultsNotice() {
  if (outputJob_.IsActive()) {
    ShowMessageBox(this, tr("正在写入文件，请等它写完或按“停止”"), MessageKind::kError);
    return;
  }
  int chosen = 0;
  const QString path = AskSaveFileName(this, {tr("PDF 文件 (*.pdf)")},
                                       ProposedName(tr("检测结果公示"), Today()), &chosen);
  if (path.isEmpty()) return;
  const QString file = WithExtension(path, QStringLiteral(".pdf"));
  if (AcceptsOutput(file)) StartOutput(OutputKind::kNotice, file);
}

bool MainFrameWnd::AcceptsOutput(const QString& path) {
  const Status allowed = CheckOutputPath(path.toStdString());
  if (allowed) return true;
  ShowMessageBox(this, ShownLibraryText(ToQString(allowed.text)), MessageKind::kError);
  return false;
}

void MainFrameWnd::StartOutput(OutputKind kind, const QString& path) {
  if (RefuseWhileBookBusy()) return;
  // The worker copies the rows shown (or, for the text file, writes out every
  // stored record) with the book frozen, which thaws before the file is made.
  book_.Freeze();
  const RecordFilter filter = book_.View().Filter();
  NoticeInfo notice;
  notice.title = settings_.noticeTitle;
  notice.testingUnit = settings_.unitName;
  notice.fromDate = filter.fromDate;
  notice.toDate = filter.toDate;
  const std::string file = path.toStdString();
  const size_t total = kind == OutputKind::kText ? book_.Records().Count() : book_.RowCount();
  outputJob_.Start(total, [this, kind, path, file, filter, notice] {
    auto thaw = [this] {
      QMetaObject::invokeMethod(
          this, [this] { ThawBook(); }, Qt::QueuedConnection);
    };
    auto progress = [this](size_t done) { return outputJob_.Report(done); };
    String error;
    bool written = false;
    int count = 0;
    if (kind == OutputKind::kText) {
      const StoredKeys stored(recordDb_);
      const std::string bytes = BuildExportBytes(
          book_.Records(), [&stored](const _NcItemData& record) { return stored.Contains(record); },
          count);
      thaw();
      // A file not written in full (a full disk, a removed stick) is a
      // failure, never reported as a success.
      written = WriteExportFile(file, bytes);
      if (!written) error = u"无法写入文件，请检查磁盘空间和文件夹权限";
    } else {
      NcItemList records;
      std::vector<uint32_t> rows(book_.RowCount());
      for (uint32_t row = 0; row < rows.size(); ++row) {
        records.AppendCopy(book_.Records()[book_.RecordAt(row)]);
        rows[row] = row;
      }
      thaw();
      count = static_cast<int>(rows.size());
      if (kind == OutputKind::kCsv) {
        bool stopped = false;
        const std::string csv = BuildCsv(records, rows, progress, &stopped);
        written = !stopped && ReplaceFileContent(file, csv);
        if (stopped) {
          error = u"已停止，文件没有写入";
        } else if (!written) {
          error = u"无法写入文件，请检查磁盘空间和文件夹权限";
        }
      } else if (kind == OutputKind::kXlsx) {
        const std::vector<StatsRow> stats =
            RecordStats(records, rows, StatsBy::kPeriod, filter.fromDate, filter.toDate);
        const Status status = WriteXlsx(file, records, rows, stats, progress);
        written = status.ok;
        error = status.text;
      } else {
        const Status status = WriteResultsNotice(file, records, rows, notice, progress);
        written = status.ok;
        error = status.text;
      }
    }
    const QString reason = ToQString(error);
    QMetaObject::invokeMethod(
        this,
        [this, kind, path, count, written, reason] {
          OnOutputEnded(kind, path, count, written, reason);
        },
        Qt::QueuedConnection);
  });
  ShowJobProgress(false, 0, total);
}

void MainFrameWnd::StopOutput() { outputJob_.RequestStop(); }

void MainFrameWnd::OnOutputEnded(OutputKind kind, const QString& path, int count, bool written,
                                 const QString& error) {
  outputJob_.Ended();
  textOutputProgress_->hide();
  btnStopOutput_->hide();
  if (closing_) return;
  if (!written) {
    ShowMessageBox(this, tr("无法保存文件 %1：%2").arg(path, ShownLibraryText(error)),
                   MessageKind::kError);
    return;
  }
  LogOperation(kind == OutputKind::kNotice ? tr("公示单") : tr("导出"),
               tr("%n 条记录到 %1", nullptr, count).arg(ShownPath(path)));
  if (kind != OutputKind::kNotice) {
    ShowMessageBox(this, tr("%n 条数据成功导出到 %1", nullptr, count).arg(path),
                   MessageKind::kInformation);
    return;
  }
  if (ShowMessageBox(this, tr("公示单已保存到 %1（%2 条记录）。现在打开吗？").arg(path).arg(count),
                     MessageKind::kConfirm)) {
    const QString file = ShownPath(path);
    if (!OpenUrl(QUrl::fromLocalFile(file).toString())) {
      ShowMessageBox(this, tr("没有找到可以打开 PDF 文件的程序。公示单在：\n%1").arg(file),
                     MessageKind::kError);
    }
  }
}

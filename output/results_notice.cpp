#include "output/results_notice.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>

#include "base/file_io.h"
#include "store/record_filter.h"

namespace {

// The page in points (1/72 inch) of an A4 sheet, with 15 mm margins.
constexpr int kDpi = 72;
constexpr double kWidth = 595.0 - 2 * 42.5;
constexpr double kHeight = 842.0 - 2 * 42.5;
constexpr double kRowHeight = 18;
constexpr double kHeadHeight = 92;     // title, unit and dates, caption row (first page)
constexpr double kFootHeight = 24;     // page number
constexpr double kSummaryHeight = 80;  // counts and signatures, on the last page
// Columns: number, sample, tested unit, rate, result, test time.
constexpr double kColumn[] = {0, 36, 136, 286, 346, 406, kWidth};

QString Q(const String& text) {
  return QString::fromUtf16(text.Handle(), static_cast<qsizetype>(text.Length()));
}

QString Day(uint32_t date) {
  return QStringLiteral("%1-%2-%3")
      .arg(date / 10000)
      .arg(date / 100 % 100, 2, 10, QLatin1Char('0'))
      .arg(date % 100, 2, 10, QLatin1Char('0'));
}

void Captions(QPainter& p, double top, const QFont& bold) {
  p.setFont(bold);
  const char16_t* captions[] = {u"序号",   u"样品名称", u"被检单位/摊位",
                                u"抑制率", u"检测结果", u"检测时间"};
  p.fillRect(QRectF(0, top, kWidth, kRowHeight), QColor(0xEE, 0xF2, 0xF7));
  for (int c = 0; c < 6; ++c) {
    p.drawText(QRectF(kColumn[c] + 3, top, kColumn[c + 1] - kColumn[c] - 6, kRowHeight),
               Qt::AlignVCenter | Qt::AlignLeft, QString::fromUtf16(captions[c]));
  }
  p.drawLine(QPointF(0, top + kRowHeight), QPointF(kWidth, top + kRowHeight));
}

}  // namespace

int NoticePages(size_t rows) {
  // The drawing's own steps: rows below the captions, a new page when the
  // next row would reach the page number, the summary after the last row.
  int pages = 1;
  double top = kHeadHeight - 8;
  for (size_t i = 0; i < rows; ++i) {
    if (top + kRowHeight > kHeight - kFootHeight) {
      ++pages;
      top = kRowHeight;
    }
    top += kRowHeight;
  }
  if (top + kSummaryHeight > kHeight - kFootHeight) ++pages;
  return pages;
}

namespace {

// The notice written to `file`.
bool MakeNotice(const std::string& file, const NcItemList& records,
                const std::vector<uint32_t>& rows, const NoticeInfo& info,
                const std::function<bool(size_t)>& progress, String& error) {
  uint32_t from = info.fromDate, to = info.toDate, failed = 0;
  for (const uint32_t index : rows) {
    const _NcItemData& record = records[index];
    failed += record.Failed() ? 1 : 0;
    if (!record.TestDate()) continue;
    if (!info.fromDate) from = from ? std::min(from, record.TestDate()) : record.TestDate();
    if (!info.toDate) to = std::max(to, record.TestDate());
  }
  const int pages = NoticePages(rows.size());
  {
    QPdfWriter pdf(QString::fromStdString(file));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setResolution(kDpi);
    pdf.setTitle(Q(info.title));
    pdf.setCreator(QStringLiteral("residue-station"));
    QPainter p;
    if (!p.begin(&pdf)) {
      error = u"无法创建文件，请检查文件夹是否存在、是否可写";
      return false;
    }
    const QString family = QStringLiteral("WenQuanYi Micro Hei");
    QFont text(family, 9), bold(family, 9, QFont::Bold), title(family, 16, QFont::Bold);
    int page = 1;
    auto footer = [&] {
      p.setFont(text);
      p.drawText(QRectF(0, kHeight - kFootHeight + 6, kWidth, kFootHeight),
                 Qt::AlignHCenter | Qt::AlignVCenter,
                 QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(pages));
    };
    p.setFont(title);
    p.drawText(QRectF(0, 0, kWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter, Q(info.title));
    p.setFont(text);
    const QString range = from ? QStringLiteral("%1 至 %2").arg(Day(from), Day(to)) : QString();
    p.drawText(QRectF(0, 38, kWidth, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("检测单位：%1").arg(Q(info.testingUnit)));
    p.drawText(QRectF(0, 38, kWidth, 18), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("检测日期：%1").arg(range));
    double top = kHeadHeight - kRowHeight - 8;
    Captions(p, top, bold);
    top += kRowHeight;
    p.setFont(text);
    bool stopped = false;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (progress && i % 20 == 0 && !progress(i)) {
        stopped = true;
        break;
      }
      if (top + kRowHeight > kHeight - kFootHeight) {
        footer();
        pdf.newPage();
        ++page;
        top = 0;
        Captions(p, top, bold);
        top += kRowHeight;
        p.setFont(text);
      }
      const RecordColumns c = records[rows[i]].Columns();
      const QString cells[6] = {QString::number(i + 1), Q(c.cell[1]), Q(c.cell[4]),
                                Q(c.cell[3]),           Q(c.cell[2]), Q(c.cell[9])};
      p.setPen(Qt::black);
      for (int k = 0; k < 6; ++k) {
        if (k == 4) p.setPen(c.cell[2] == u"合格" ? QColor(0, 0x80, 0) : QColor(0xC0, 0, 0));
        p.drawText(QRectF(kColumn[k] + 3, top, kColumn[k + 1] - kColumn[k] - 6, kRowHeight),
                   Qt::AlignVCenter | Qt::AlignLeft, cells[k]);
        if (k == 4) p.setPen(Qt::black);
      }
      p.setPen(QColor(0xD0, 0xD7, 0xE2));
      p.drawLine(QPointF(0, top + kRowHeight), QPointF(kWidth, top + kRowHeight));
      p.setPen(Qt::black);
      top += kRowHeight;
    }
    if (top + kSummaryHeight > kHeight - kFootHeight) {
      footer();
      pdf.newPage();
      ++page;
      top = 0;
    }
    p.setFont(bold);
    p.drawText(QRectF(0, top + 10, kWidth, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("共检测 %1 批次，合格 %2 批次，不合格 %3 批次")
                   .arg(rows.size())
                   .arg(rows.size() - failed)
                   .arg(failed));
    p.setFont(text);
    p.drawText(
        QRectF(0, top + 44, kWidth, 20), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("检测人：____________    审核人：____________    公示日期：____________"));
    footer();
    if (!p.end() || stopped) {
      error = stopped ? String(u"已停止，文件没有写入") : String(u"文件没有写完，请检查磁盘空间");
      return false;
    }
  }
  return true;
}

}  // namespace

Status WriteResultsNotice(const std::string& path, const NcItemList& records,
                          const std::vector<uint32_t>& rows, const NoticeInfo& info,
                          const std::function<bool(size_t)>& progress) {
  String error;
  const MadeFile made = ReplaceWithMadeFile(path, [&](const std::string& file) {
    return MakeNotice(file, records, rows, info, progress, error);
  });
  if (made == MadeFile::kNotMade && error.IsEmpty()) error = u"文件没有写完，请检查磁盘空间";
  if (made == MadeFile::kNotReplaced) error = u"无法写入文件，请检查磁盘空间和文件夹权限";
  return made == MadeFile::kReplaced ? Status::Ok() : Status::Failed(error);
}

// The statistics page: counts per day (or month) and per product of the
// rows the record page shows, as two tables and two charts.
#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <memory>

#include "app/main_frame_wnd.h"
#include "store/record_stats.h"
#include "ui/qt_text.h"

namespace {

void FillTable(QTableWidget* table, const QString& first, const std::vector<StatsRow>& rows) {
  table->clear();
  table->setColumnCount(5);
  table->setRowCount(static_cast<int>(rows.size()));
  table->setHorizontalHeaderLabels({first, MainFrameWnd::tr("检测数"), MainFrameWnd::tr("合格"),
                                    MainFrameWnd::tr("不合格"), MainFrameWnd::tr("不合格率")});
  table->verticalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const StatsRow& row = rows[static_cast<size_t>(r)];
    const QString cells[5] = {ToQString(row.label), QString::number(row.tested),
                              QString::number(row.passed), QString::number(row.failed),
                              ToQString(RateText(row))};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table->setItem(r, c, item);
    }
  }
  table->resizeColumnsToContents();
}

QChartView* PeriodChart(const std::vector<StatsRow>& rows) {
  auto* passed = new QBarSet(MainFrameWnd::tr("合格"));
  auto* failed = new QBarSet(MainFrameWnd::tr("不合格"));
  passed->setColor(QColor(0x00, 0x99, 0x00));
  failed->setColor(QColor(0xE0, 0x30, 0x30));
  QStringList periods;
  uint32_t most = 0;
  for (const StatsRow& row : rows) {
    *passed << row.passed;
    *failed << row.failed;
    periods << ToQString(row.label);
    most = std::max(most, row.tested);
  }
  auto* series = new QStackedBarSeries;
  series->append(passed);
  series->append(failed);
  auto* chart = new QChart;
  chart->addSeries(series);
  chart->setTitle(MainFrameWnd::tr("合格与不合格"));
  auto* x = new QBarCategoryAxis;
  x->append(periods);
  x->setLabelsAngle(-90);
  QFont small = QApplication::font();
  small.setPointSize(7);
  x->setLabelsFont(small);
  x->setTruncateLabels(false);
  auto* y = new QValueAxis;
  y->setRange(0, std::max<uint32_t>(most, 1));
  y->setLabelFormat(QStringLiteral("%d"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  series->attachAxis(x);
  series->attachAxis(y);
  chart->legend()->setAlignment(Qt::AlignTop);
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  return view;
}

QChartView* ProductChart(const std::vector<StatsRow>& rows) {
  auto* rate = new QBarSet(MainFrameWnd::tr("不合格率 %"));
  rate->setColor(QColor(0xE0, 0x80, 0x20));
  QStringList products;
  // The most tested products, as many as the chart can label, most at the top.
  const size_t shown = std::min<size_t>(rows.size(), 8);
  for (size_t i = shown; i-- > 0;) {
    *rate << rows[i].FailureRate() * 100;
    products << ToQString(rows[i].label);
  }
  auto* series = new QHorizontalBarSeries;
  series->append(rate);
  auto* chart = new QChart;
  chart->addSeries(series);
  chart->setTitle(MainFrameWnd::tr("各产品不合格率"));
  auto* names = new QBarCategoryAxis;
  names->append(products);
  names->setLabelsFont(QApplication::font());
  names->setTruncateLabels(false);
  auto* percent = new QValueAxis;
  percent->setRange(0, 100);
  percent->setLabelFormat(QStringLiteral("%d%%"));
  chart->addAxis(names, Qt::AlignLeft);
  chart->addAxis(percent, Qt::AlignBottom);
  series->attachAxis(names);
  series->attachAxis(percent);
  chart->legend()->hide();
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing);
  return view;
}

}  // namespace

void MainFrameWnd::ShowStatistics() {
  if (book_.IsFrozen()) {
    statsRefresh_.start();  // once the work over the records has ended
    return;
  }
  struct Figures {
    size_t rows = 0;
    StatsBy used = StatsBy::kDay;
    std::vector<StatsRow> periods, products;
  };
  auto figures = std::make_shared<Figures>();
  RunOnFrozenBook(
      tr("正在统计……"),
      [this, figures] {
        const std::vector<uint32_t> rows = book_.ShownRecords();
        const RecordFilter& filter = book_.View().Filter();
        figures->rows = rows.size();
        figures->periods = RecordStats(book_.Records(), rows, StatsBy::kPeriod, filter.fromDate,
                                       filter.toDate, &figures->used);
        figures->products = RecordStats(book_.Records(), rows, StatsBy::kProduct);
        return RecordBook::Prepared();
      },
      [this, figures](const RecordBook::Prepared&) {
        const bool monthly = figures->used == StatsBy::kMonth;
        root_->findChild<QLabel*>("TextStatsScope")
            ->setText((monthly ? tr("按月统计记录页当前显示的 %1 条记录")
                               : tr("按日统计记录页当前显示的 %1 条记录"))
                          .arg(figures->rows));
        FillTable(root_->findChild<QTableWidget*>("StatsPeriodTable"),
                  monthly ? tr("月份") : tr("日期"), figures->periods);
        FillTable(root_->findChild<QTableWidget*>("StatsProductTable"), tr("名称"),
                  figures->products);
        QWidget* charts = root_->findChild<QWidget*>("StatsCharts");
        delete charts->layout();
        for (QWidget* old : charts->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
          delete old;
        }
        auto* layout = new QVBoxLayout(charts);
        layout->setContentsMargins(0, 0, 0, 0);
        for (QChartView* chart : {PeriodChart(figures->periods), ProductChart(figures->products)}) {
          chart->chart()->setMargins(QMargins(2, 2, 2, 2));
          layout->addWidget(chart, 1);
        }
      });
}

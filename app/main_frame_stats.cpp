// The statistics page: counts per day (or month) and per product of the
// rows the record page shows, as two tables and two charts.
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "app/main_frame_wnd.h"
#include "store/record_stats.h"
#include "ui/bar_chart.h"
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

BarChart* PeriodChart(const std::vector<StatsRow>& rows) {
  BarChartData data;
  data.title = MainFrameWnd::tr("合格与不合格");
  BarSeries passed{MainFrameWnd::tr("合格"), QColor(0x00, 0x99, 0x00), {}};
  BarSeries failed{MainFrameWnd::tr("不合格"), QColor(0xE0, 0x30, 0x30), {}};
  for (const StatsRow& row : rows) {
    passed.values.push_back(row.passed);
    failed.values.push_back(row.failed);
    data.categories << ToQString(row.label);
  }
  data.series = {passed, failed};
  return new BarChart(std::move(data));
}

BarChart* ProductChart(const std::vector<StatsRow>& rows) {
  BarChartData data;
  data.title = MainFrameWnd::tr("各产品不合格率");
  data.bars = Qt::Horizontal;
  data.maximum = 100;
  data.valueSuffix = QStringLiteral("%");
  data.legend = false;
  BarSeries rate{MainFrameWnd::tr("不合格率 %"), QColor(0xE0, 0x80, 0x20), {}};
  // The most tested products, as many as the chart can label, most at the top.
  for (size_t i = 0; i < std::min<size_t>(rows.size(), 8); ++i) {
    rate.values.push_back(rows[i].FailureRate() * 100);
    data.categories << ToQString(rows[i].label);
  }
  data.series = {rate};
  return new BarChart(std::move(data));
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
        layout->addWidget(PeriodChart(figures->periods), 1);
        layout->addWidget(ProductChart(figures->products), 1);
      });
}

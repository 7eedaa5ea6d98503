#include "ui/bar_chart.h"

#include <gtest/gtest.h>

#include <QImage>
#include <map>

namespace {

TEST(BarChartTest, TheValueAxisEndsAtARoundMarkAtOrPastTheHighestBar) {
  struct Case {
    double maximum;
    int most;
    bool whole;
    std::vector<double> ticks;
  };
  const Case cases[] = {
      {40, 5, true, {0, 10, 20, 30, 40}},
      {37, 5, true, {0, 10, 20, 30, 40}},
      {3, 8, true, {0, 1, 2, 3}},  // counts do not get half steps
      {1, 4, false, {0, 0.5, 1}},
      {100, 5, false, {0, 20, 40, 60, 80, 100}},
      {0, 5, true, {0, 1}},  // nothing counted yet still draws an axis
      {-4, 5, true, {0, 1}},
      {1e6 + 1, 4, true, {0, 5e5, 1e6, 1.5e6}},
      {7, 0, true, {0, 10}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AxisTicks(c.maximum, c.most, c.whole), c.ticks) << c.maximum << " in " << c.most;
  }
}

// Counts the pixels of each colour in the chart as drawn.
std::map<QRgb, int> Colours(BarChart& chart) {
  chart.resize(420, 300);
  QImage image(chart.size(), QImage::Format_RGB32);
  chart.render(&image);
  std::map<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y) & 0xFFFFFF];
  }
  return counts;
}

// Bars take room in proportion to their values, stacked or side by side,
// whichever way they grow.
TEST(BarChartTest, BarsTakeRoomInProportionToTheirValues) {
  const QColor green(0, 153, 0), red(224, 48, 48);
  for (Qt::Orientation bars : {Qt::Vertical, Qt::Horizontal}) {
    BarChartData data;
    data.categories = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
    data.series = {{QStringLiteral("合格"), green, {30, 10, 0}},
                   {QStringLiteral("不合格"), red, {10, 10, 5}}};
    data.bars = bars;
    data.legend = false;  // legend swatches would count as bars
    BarChart chart(data);
    std::map<QRgb, int> counts = Colours(chart);
    const double greens = counts[green.rgb() & 0xFFFFFF];
    const double reds = counts[red.rgb() & 0xFFFFFF];
    ASSERT_GT(reds, 0) << bars;
    EXPECT_NEAR(greens / reds, 40.0 / 25.0, 0.1) << bars;
  }
}

TEST(BarChartTest, ManyCategoriesAndNoCategoriesAreDrawnWithoutFault) {
  for (int count : {0, 1, 400}) {
    BarChartData data;
    data.title = QStringLiteral("合格与不合格");
    BarSeries series{QStringLiteral("合格"), QColor(0, 153, 0), {}};
    for (int i = 0; i < count; ++i) {
      data.categories << QStringLiteral("2026-11-%1").arg(i);
      series.values.push_back(i % 7);
    }
    data.series = {series};
    BarChart chart(data);
    EXPECT_GT(Colours(chart).size(), 2u) << count;
  }
}

}  // namespace

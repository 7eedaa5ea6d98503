#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

// One set of bars; the sets of a chart are stacked on each other.
struct BarSeries {
  QString name;
  QColor color;
  std::vector<double> values;  // one per category
};

struct BarChartData {
  QString title;
  QStringList categories;
  std::vector<BarSeries> series;
  // Vertical: categories along the bottom, bars rising; horizontal: categories
  // down the left side, the first at the top, bars growing to the right.
  Qt::Orientation bars = Qt::Vertical;
  double maximum = 0;   // the end of the value axis; 0 takes the highest stack
  QString valueSuffix;  // after each value axis number ("%")
  bool legend = true;
};

// Where the value axis has its marks: 0, then steps of 1, 2 or 5 times a
// power of ten up to the first mark at or past `maximum`, at most about
// `most` steps; whole numbers only when `whole` (counts).
std::vector<double> AxisTicks(double maximum, int most, bool whole);

// A bar chart drawn with QPainter: title, legend, value axis with grid lines,
// and the category names (turned upright when they do not fit side by side,
// and only every so many when even that is too tight).
class BarChart : public QWidget {
 public:
  explicit BarChart(BarChartData data, QWidget* parent = nullptr);

  const BarChartData& Data() const { return data_; }
  QSize minimumSizeHint() const override { return QSize(200, 150); }
  QSize sizeHint() const override { return QSize(400, 260); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  BarChartData data_;
};

#include "ui/bar_chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

std::vector<double> AxisTicks(double maximum, int most, bool whole) {
  if (!(maximum > 0) || !std::isfinite(maximum)) maximum = 1;
  most = std::max(most, 1);
  const double raw = maximum / most;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10 * power;
  for (double multiple : {1.0, 2.0, 5.0}) {
    if (multiple * power >= raw) {
      step = multiple * power;
      break;
    }
  }
  if (whole) step = std::max(step, 1.0);
  std::vector<double> ticks;
  for (int i = 0;; ++i) {
    ticks.push_back(i * step);
    if (i * step >= maximum * (1 - 1e-9)) break;
  }
  return ticks;
}

namespace {

QString NumberText(double value, const QString& suffix) {
  return QString::number(value, 'g', 10) + suffix;
}

// The highest stack of any category.
double HighestStack(const BarChartData& data) {
  double highest = 0;
  for (int c = 0; c < data.categories.size(); ++c) {
    double stack = 0;
    for (const BarSeries& series : data.series) {
      if (static_cast<size_t>(c) < series.values.size()) stack += std::max(0.0, series.values[c]);
    }
    highest = std::max(highest, stack);
  }
  return highest;
}

}  // namespace

BarChart::BarChart(BarChartData data, QWidget* parent) : QWidget(parent), data_(std::move(data)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QFontMetrics metrics(font());
  const int line = metrics.height();
  const int gap = 6;
  QRect area = rect().adjusted(gap, gap, -gap, -gap);

  if (!data_.title.isEmpty()) {
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(QColor(0x1f, 0x29, 0x33));
    painter.drawText(QRect(area.left(), area.top(), area.width(), line), Qt::AlignCenter,
                     data_.title);
    painter.setFont(font());
    area.setTop(area.top() + line + gap);
  }
  if (data_.legend && !data_.series.empty()) {
    int width = 0;
    for (const BarSeries& series : data_.series) {
      width += line + 4 + metrics.horizontalAdvance(series.name) + 2 * gap;
    }
    int x = area.left() + std::max(0, (area.width() - width) / 2);
    for (const BarSeries& series : data_.series) {
      painter.fillRect(QRect(x, area.top() + 2, line - 4, line - 4), series.color);
      x += line;
      painter.setPen(palette().color(QPalette::WindowText));
      const int textWidth = metrics.horizontalAdvance(series.name);
      painter.drawText(QRect(x, area.top(), textWidth, line), Qt::AlignVCenter, series.name);
      x += textWidth + 2 * gap;
    }
    area.setTop(area.top() + line + gap);
  }

  const bool vertical = data_.bars == Qt::Vertical;
  const double maximum = data_.maximum > 0 ? data_.maximum : HighestStack(data_);
  const bool whole = data_.valueSuffix.isEmpty();
  const int valueLength = vertical ? area.height() : area.width();
  const std::vector<double> ticks =
      AxisTicks(maximum, std::clamp(valueLength / (vertical ? 2 * line : 60), 1, 10), whole);
  const double top = ticks.back();
  int tickWidth = 0;
  for (double tick : ticks) {
    tickWidth = std::max(tickWidth, metrics.horizontalAdvance(NumberText(tick, data_.valueSuffix)));
  }

  // Room for the category names: beside the bars, or under them (upright
  // when they do not fit side by side).
  const int count = static_cast<int>(data_.categories.size());
  int nameLength = 0;
  for (const QString& name : data_.categories) {
    nameLength = std::max(nameLength, metrics.horizontalAdvance(name));
  }
  QRect plot;
  bool upright = false;
  int every = 1;  // a name for every so many categories
  if (vertical) {
    const int plotWidth = area.width() - tickWidth - gap;
    const double slot = count ? double(plotWidth) / count : plotWidth;
    upright = nameLength + gap > slot;
    const int below = upright ? std::min(nameLength, area.height() * 2 / 5) : line;
    if (upright) every = std::max(1, static_cast<int>(std::ceil((line + 2) / std::max(slot, 1.0))));
    plot = QRect(area.left() + tickWidth + gap, area.top(), plotWidth, area.height() - below - gap);
  } else {
    const int beside = std::min(nameLength, area.width() * 2 / 5);
    plot = QRect(area.left() + beside + gap, area.top(),
                 area.width() - beside - gap - tickWidth / 2, area.height() - line - gap);
    const double slot = count ? double(plot.height()) / count : plot.height();
    every = std::max(1, static_cast<int>(std::ceil(line / std::max(slot, 1.0))));
  }
  if (plot.width() < 10 || plot.height() < 10) return;

  // Value axis: grid lines and numbers.
  const QColor grid(0xe4, 0xe9, 0xf0);
  const QColor axisText = palette().color(QPalette::WindowText);
  for (double tick : ticks) {
    const QString text = NumberText(tick, data_.valueSuffix);
    if (vertical) {
      const int y = plot.bottom() - static_cast<int>(std::lround(tick / top * plot.height()));
      painter.setPen(grid);
      painter.drawLine(plot.left(), y, plot.right(), y);
      painter.setPen(axisText);
      painter.drawText(QRect(area.left(), y - line / 2, tickWidth, line),
                       Qt::AlignRight | Qt::AlignVCenter, text);
    } else {
      const int x = plot.left() + static_cast<int>(std::lround(tick / top * plot.width()));
      painter.setPen(grid);
      painter.drawLine(x, plot.top(), x, plot.bottom());
      painter.setPen(axisText);
      const int width = metrics.horizontalAdvance(text);
      painter.drawText(QRect(x - width / 2, plot.bottom() + gap, width, line), Qt::AlignCenter,
                       text);
    }
  }

  // Bars, each category's series stacked in order, and the category names.
  const double slot = double(vertical ? plot.width() : plot.height()) / std::max(count, 1);
  const double thickness = std::max(1.0, slot * 0.7);
  for (int c = 0; c < count; ++c) {
    const double middle = (c + 0.5) * slot;
    double base = 0;
    for (const BarSeries& series : data_.series) {
      const double value =
          static_cast<size_t>(c) < series.values.size() ? std::max(0.0, series.values[c]) : 0;
      if (value <= 0) continue;
      QRectF bar;
      if (vertical) {
        const double from = plot.bottom() + 1 - base / top * plot.height();
        const double to = plot.bottom() + 1 - (base + value) / top * plot.height();
        bar = QRectF(plot.left() + middle - thickness / 2, to, thickness, from - to);
      } else {
        const double from = plot.left() + base / top * plot.width();
        const double to = plot.left() + (base + value) / top * plot.width();
        bar = QRectF(from, plot.top() + middle - thickness / 2, to - from, thickness);
      }
      painter.fillRect(bar, series.color);
      base += value;
    }
    if (c % every) continue;
    painter.setPen(axisText);
    const QString& name = data_.categories[c];
    if (!vertical) {
      const int width = plot.left() - gap - area.left();
      painter.drawText(
          QRect(area.left(), static_cast<int>(plot.top() + middle) - line / 2, width, line),
          Qt::AlignRight | Qt::AlignVCenter, metrics.elidedText(name, Qt::ElideRight, width));
    } else if (upright) {
      const int length = area.bottom() - plot.bottom() - gap;
      painter.save();
      painter.translate(plot.left() + middle, plot.bottom() + gap);
      painter.rotate(-90);
      painter.drawText(QRect(-length, -line / 2, length, line), Qt::AlignRight | Qt::AlignVCenter,
                       metrics.elidedText(name, Qt::ElideLeft, length));
      painter.restore();
    } else {
      const int width = static_cast<int>(slot);
      painter.drawText(QRect(static_cast<int>(plot.left() + middle) - width / 2,
                             plot.bottom() + gap, width, line),
                       Qt::AlignCenter, name);
    }
  }
  painter.setPen(axisText);
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
}

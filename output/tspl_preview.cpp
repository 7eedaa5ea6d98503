#include "output/tspl_preview.h"

#include <zint.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

#include "base/file_io.h"
#include "base/string.h"

namespace {

constexpr int kDotsPerMm = 8;

// Splits "a,b,"c,d",e" at the commas outside quotes; quotes are removed and
// the TSPL escape \["] gives a double quote.
QStringList Parameters(const QString& text) {
  QStringList out;
  QString current;
  bool quoted = false;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted && text.mid(i, 4) == QLatin1String("\\[\"]")) {
      current += QLatin1Char('"');
      i += 3;
    } else if (c == QLatin1Char('"')) {
      quoted = !quoted;
    } else if (c == QLatin1Char(',') && !quoted) {
      out << current.trimmed();
      current.clear();
    } else {
      current += c;
    }
  }
  out << current.trimmed();
  return out;
}

int Number(const QString& text) { return text.section(QLatin1Char(' '), 0, 0).toInt(); }

QFont TextFont(int pixels) {
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(pixels);
  return font;
}

void DrawCode128(QPainter& p, const QStringList& a) {
  // x, y, type, height, readable, rotation, narrow, wide, content
  const int x = a[0].toInt(), y = a[1].toInt(), height = a[3].toInt();
  const int module = qMax(1, a[6].toInt());
  const QByteArray content = a[8].toLatin1();
  zint_symbol* symbol = ZBarcode_Create();
  symbol->symbology = BARCODE_CODE128;
  const bool encoded =
      ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char*>(content.constData()),
                      content.size()) < ZINT_ERROR;
  if (encoded) {
    for (int col = 0; col < symbol->width; ++col) {
      if ((symbol->encoded_data[0][col >> 3] >> (col & 7)) & 1) {
        p.fillRect(x + col * module, y, module, height, Qt::black);
      }
    }
    if (a[4].toInt() != 0) {
      p.setFont(TextFont(20));
      p.drawText(QRect(x, y + height + 2, symbol->width * module, 24),
                 Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(content));
    }
  }
  ZBarcode_Delete(symbol);
}

}  // namespace

QImage RenderTsplLabel(const std::string& tspl) {
  const String unicode = String::FromBytes(tspl, cp::kGbk);
  const QStringList lines = QString::fromUtf16(unicode.Handle(), unicode.Length())
                                .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  QSize size(75 * kDotsPerMm, 55 * kDotsPerMm);
  for (const QString& line : lines) {
    if (line.startsWith(QLatin1String("SIZE "))) {
      const QStringList a = Parameters(line.mid(5));
      if (a.size() == 2) size = QSize(Number(a[0]) * kDotsPerMm, Number(a[1]) * kDotsPerMm);
    }
  }
  QImage image(size.expandedTo(QSize(8, 8)), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setPen(Qt::black);
  for (const QString& line : lines) {
    const int space = line.indexOf(QLatin1Char(' '));
    const QString command = line.left(space);
    const QStringList a = Parameters(line.mid(space + 1));
    if (command == QLatin1String("TEXT") && a.size() >= 7) {
      p.setFont(TextFont(24 * qMax(1, a[5].toInt())));
      p.drawText(QRect(a[0].toInt(), a[1].toInt(), size.width(), 32), Qt::AlignLeft | Qt::AlignTop,
                 a[6]);
    } else if (command == QLatin1String("BAR") && a.size() >= 4) {
      p.fillRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt(), Qt::black);
    } else if (command == QLatin1String("BOX") && a.size() >= 4) {
      const int x = a[0].toInt(), y = a[1].toInt(), x2 = a[2].toInt(), y2 = a[3].toInt();
      const int t = a.size() >= 5 ? qMax(1, a[4].toInt()) : 1;
      const int w = x2 - x, h = y2 - y;
      p.fillRect(x, y, w, qMin(t, h), Qt::black);
      p.fillRect(x, y2 - qMin(t, h), w, qMin(t, h), Qt::black);
      p.fillRect(x, y, qMin(t, w), h, Qt::black);
      p.fillRect(x2 - qMin(t, w), y, qMin(t, w), h, Qt::black);
    } else if (command == QLatin1String("BARCODE") && a.size() >= 9 &&
               a[2] == QLatin1String("128")) {
      DrawCode128(p, a);
    }
  }
  return image;
}

bool RenderTsplPreview(const std::string& tspl, const std::string& pngPath) {
  if (!CheckOutputPath(pngPath)) return false;  // never over a device or FIFO
  return RenderTsplLabel(tspl).save(QString::fromStdString(pngPath), "PNG");
}

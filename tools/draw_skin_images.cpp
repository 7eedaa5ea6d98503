// Draws the skin's images into a folder: checkbox.png (two 148-pixel squares,
// unticked above ticked), Combo_nor.png and Combo_over.png (a combo frame with
// its drop-down button, stretched by border images) and the window icons.
//   draw_skin_images OUTPUT_FOLDER
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor kBlue(0x1e, 0x6f, 0xd9);
const QColor kDarkBlue(0x1e, 0x4f, 0x8a);
const QColor kBorder(0xb8, 0xc4, 0xd4);

QImage Blank(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

QImage Checkbox() {
  QImage image = Blank(148, 296);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box(10, 10, 128, 128);
  p.setPen(QPen(QColor(0x8a, 0x9b, 0xb0), 12));
  p.setBrush(Qt::white);
  p.drawRoundedRect(box, 20, 20);  // unticked
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawRoundedRect(box.translated(0, 148), 20, 20);  // ticked
  QPainterPath tick;
  tick.moveTo(38, 148 + 76);
  tick.lineTo(64, 148 + 102);
  tick.lineTo(112, 148 + 48);
  p.setPen(QPen(Qt::white, 16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(tick);
  return image;
}

QImage Combo(bool hot) {
  QImage image = Blank(60, 22);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(hot ? kBlue : kBorder, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(0.5, 0.5, 59, 21));
  p.fillRect(QRectF(39, 1, 20, 20), hot ? QColor(0xe8, 0xf1, 0xfc) : QColor(0xf1, 0xf4, 0xf8));
  p.setPen(QPen(hot ? kBlue : kBorder, 1));
  p.drawLine(QPointF(38.5, 1), QPointF(38.5, 21));
  QPainterPath arrow;
  arrow.moveTo(44, 9);
  arrow.lineTo(49, 14);
  arrow.lineTo(54, 9);
  p.setPen(QPen(hot ? kBlue : QColor(0x5b, 0x6b, 0x7f), 1.6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(arrow);
  return image;
}

QImage Icon(int size) {
  QImage image = Blank(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2e, 0x9e, 0x5b));
  p.drawEllipse(QRectF(4, 4, 56, 56));
  // A leaf over a test tube: residue testing of vegetables.
  QPainterPath leaf;
  leaf.moveTo(18, 44);
  leaf.cubicTo(16, 22, 34, 12, 50, 14);
  leaf.cubicTo(50, 32, 38, 46, 18, 44);
  p.setBrush(Qt::white);
  p.drawPath(leaf);
  p.setPen(QPen(QColor(0x2e, 0x9e, 0x5b), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(20, 42), QPointF(42, 22));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc == 3 && QByteArray(argv[1]) == "--icons") {
    // The desktop icons of the installed program, in the hicolor theme's layout.
    QDir out(QString::fromLocal8Bit(argv[2]));
    bool ok = true;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
      const QString folder = QStringLiteral("%1x%1/apps").arg(size);
      ok = ok && out.mkpath(folder) &&
           Icon(size).save(out.filePath(folder + QStringLiteral("/residue-station.png")));
    }
    if (!ok) std::fprintf(stderr, "draw_skin_images: cannot write into %s\n", argv[2]);
    return ok ? 0 : 1;
  }
  if (argc == 3 && QByteArray(argv[1]) == "--ico") {
    // The Windows icon of the program and its installer.
    const bool ok = Icon(48).save(QString::fromLocal8Bit(argv[2]), "ICO");
    if (!ok) std::fprintf(stderr, "draw_skin_images: cannot write %s\n", argv[2]);
    return ok ? 0 : 1;
  }
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: draw_skin_images OUTPUT_FOLDER | --icons OUTPUT_FOLDER | --ico FILE\n");
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  out.mkpath(QStringLiteral("."));
  const bool ok = Checkbox().save(out.filePath("checkbox.png")) &&
                  Combo(false).save(out.filePath("Combo_nor.png")) &&
                  Combo(true).save(out.filePath("Combo_over.png")) &&
                  Icon(64).save(out.filePath("icon.png")) &&
                  Icon(24).save(out.filePath("icon24.png"));
  if (!ok) std::fprintf(stderr, "draw_skin_images: cannot write into %s\n", argv[1]);
  return ok ? 0 : 1;
}

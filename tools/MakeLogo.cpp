// Draws Quimbo's logo: three white fan blades on a rounded square in the
// brand's blue, deepening toward the bottom. Written as a PNG.
//   quimbo-make-logo OUT.png [SIZE]

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.png [SIZE]\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int size = argc > 2 ? std::atoi(argv[2]) : 256;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 100.0, size / 100.0);

  QLinearGradient sky(0, 0, 0, 100);
  sky.setColorAt(0, QColor(72, 190, 250));
  sky.setColorAt(1, QColor(20, 120, 210));
  QPainterPath square;
  square.addRoundedRect(QRectF(0, 0, 100, 100), 22, 22);
  p.fillPath(square, sky);

  p.translate(50, 50);
  for (int i = 0; i < 3; ++i) {
    QPainterPath blade;
    blade.moveTo(0, -4);
    blade.cubicTo(-14, -14, -14, -36, 2, -38);
    blade.cubicTo(16, -38, 14, -18, 4, -4);
    blade.closeSubpath();
    p.fillPath(blade, QColor(255, 255, 255, 235));
    p.rotate(120);
  }
  p.setBrush(QColor(20, 120, 210));
  p.setPen(QPen(QColor(255, 255, 255), 3));
  p.drawEllipse(QPointF(0, 0), 7, 7);
  p.end();
  return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}

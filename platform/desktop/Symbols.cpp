#include "platform/desktop/Symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace quimbo::desktop {

namespace {

// Each symbol is drawn in a 24x24 design square, scaled to the box.
constexpr double kDesign = 24;

void fan(QPainter& p, bool filled) {
  QPainterPath blades;
  for (int i = 0; i < 3; ++i) {
    QPainterPath blade;
    blade.moveTo(12, 12);
    blade.cubicTo(9, 9, 8, 3, 12, 2);
    blade.cubicTo(16, 2, 17, 7, 12, 12);
    QTransform turn;
    turn.translate(12, 12).rotate(120.0 * i).translate(-12, -12);
    blades.addPath(turn.map(blade));
  }
  if (filled) {
    p.fillPath(blades, p.pen().color());
  } else {
    p.drawPath(blades);
  }
  p.setBrush(p.pen().color());
  p.drawEllipse(QPointF(12, 12), 1.6, 1.6);
}

void cpu(QPainter& p, bool filled) {
  for (int i = 0; i < 3; ++i) {
    const double at = 8 + 4 * i;
    p.drawLine(QPointF(at, 2), QPointF(at, 5));
    p.drawLine(QPointF(at, 19), QPointF(at, 22));
    p.drawLine(QPointF(2, at), QPointF(5, at));
    p.drawLine(QPointF(19, at), QPointF(22, at));
  }
  if (filled) {
    QPainterPath body;  // the die shows through a hole in the package
    body.setFillRule(Qt::OddEvenFill);
    body.addRoundedRect(QRectF(4.5, 4.5, 15, 15), 2.5, 2.5);
    body.addRect(QRectF(9, 9, 6, 6));
    p.fillPath(body, p.pen().color());
  } else {
    p.drawRoundedRect(QRectF(5, 5, 14, 14), 2.5, 2.5);
    p.drawRect(QRectF(9, 9, 6, 6));
  }
}

void drive(QPainter& p) {
  p.drawRoundedRect(QRectF(2.5, 7, 19, 10), 2.5, 2.5);
  p.setBrush(p.pen().color());
  p.drawEllipse(QPointF(17.5, 12), 1.2, 1.2);
}

void thermometer(QPainter& p, double level) {
  QPainterPath tube;
  tube.addRoundedRect(QRectF(9.5, 2, 5, 14), 2.5, 2.5);
  tube.addEllipse(QPointF(12, 18), 4, 4);
  p.drawPath(tube.simplified());
  p.setBrush(p.pen().color());
  p.drawEllipse(QPointF(12, 18), 2.2, 2.2);
  const double top = 16 - 11 * level;
  p.drawRect(QRectF(11.2, top, 1.6, 17 - top));
}

void lock(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(7, 3, 10, 11), 0, 180 * 16);
  p.drawLine(QPointF(7, 8.5), QPointF(7, 11));
  p.drawLine(QPointF(17, 8.5), QPointF(17, 11));
  p.setBrush(p.pen().color());
  p.drawRoundedRect(QRectF(5, 11, 14, 10), 2, 2);
}

void warning(QPainter& p) {
  QPainterPath triangle;
  triangle.moveTo(12, 2.5);
  triangle.lineTo(22, 20.5);
  triangle.lineTo(2, 20.5);
  triangle.closeSubpath();
  p.drawPath(triangle);
  p.drawLine(QPointF(12, 9), QPointF(12, 14.5));
  p.setBrush(p.pen().color());
  p.drawEllipse(QPointF(12, 17.5), 1, 1);
}

}  // namespace

void drawSymbol(QPainter& painter, std::string_view name, const QRectF& box, const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const double side = std::min(box.width(), box.height());
  painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
  painter.scale(side / kDesign, side / kDesign);
  painter.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);

  if (name == "fanblades")
    fan(painter, false);
  else if (name == "fanblades.fill")
    fan(painter, true);
  else if (name == "cpu")
    cpu(painter, false);
  else if (name == "cpu.fill")
    cpu(painter, true);
  else if (name == "internaldrive")
    drive(painter);
  else if (name == "thermometer.low")
    thermometer(painter, 0.2);
  else if (name == "thermometer.medium")
    thermometer(painter, 0.5);
  else if (name == "lock.fill")
    lock(painter);
  else if (name == "exclamationmark.triangle")
    warning(painter);
  else
    painter.drawText(QRectF(0, 0, kDesign, kDesign), Qt::AlignCenter, QStringLiteral("?"));
  painter.restore();
}

}  // namespace quimbo::desktop

#include "platform/desktop/TrayIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <vector>

#include "platform/desktop/Symbols.h"

namespace quimbo::desktop {

namespace {

// Drawn at each size a tray commonly asks for, so that none is scaled.
constexpr int kTrayIconSizes[] = {16, 22, 24, 32, 48, 64};
const QColor kInk = Qt::white;
const QColor kOutline = QColor(0x10, 0x10, 0x10);

// The outline's width in pixels at an icon size: one pixel up to 24, more
// on the larger icons, so that it keeps its weight.
int outlineWidth(int size) { return std::max(1, size / 20); }

// A tray's square stacks the label's two numbers, each on a row of its own:
// the temperature with its degree sign over the fan speed.
constexpr const char* kRowFormats[] = {"%lld°", "%lld"};

QStringList stackedRows(const ui::View& label) {
  QStringList rows;
  if (const auto* text = label.as<ui::Text>()) {
    for (std::size_t i = 0; i < std::size(kRowFormats) && i < text->arguments.size(); ++i) {
      rows.push_back(QString::fromStdString(
          ui::Text::localized(kRowFormats[i], {text->arguments[i]}).string()));
    }
  }
  return rows;
}

// The outlines of the rows, stacked in a unit square: each row's centre and
// one scale for all of them, so that the digits match.
struct StackedOutlines {
  std::vector<QPainterPath> parts;
  std::vector<QPointF> centres;
  double scale = 0;

  explicit StackedOutlines(const QStringList& rows) {
    QFont font;
    font.setPixelSize(100);
    font.setBold(true);
    const double rowHeight = 1.0 / double(std::max<qsizetype>(rows.size(), 1));
    double fit = 1e9;
    for (qsizetype i = 0; i < rows.size(); ++i) {
      QPainterPath part;
      part.addText(0, 0, font, rows[i]);
      const QRectF box = part.boundingRect();
      if (box.isEmpty()) continue;
      fit = std::min({fit, 1.0 / box.width(), rowHeight * 0.9 / box.height()});
      // Moved so that its box is centred on the origin.
      parts.push_back(part.translated(-box.center()));
      centres.emplace_back(0.5, rowHeight * (double(i) + 0.5));
    }
    scale = fit;
  }

  // Drawn into `box`, which leaves room for the outline around it.
  void paint(QPainter& painter, const QRectF& box) const {
    for (std::size_t i = 0; i < parts.size(); ++i) {
      QTransform place;
      place.translate(box.left() + centres[i].x() * box.width(),
                      box.top() + centres[i].y() * box.height());
      place.scale(scale * box.width(), scale * box.height());
      painter.fillPath(place.map(parts[i]), kInk);
    }
  }
};

// `ink` (drawn in kInk) over its own shape grown by `width` pixels in
// kOutline.
QPixmap outlined(const QImage& ink, int width) {
  QImage edge = ink;
  QPainter tint(&edge);
  tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
  tint.fillRect(edge.rect(), kOutline);
  tint.end();
  QPixmap out(ink.size());
  out.fill(Qt::transparent);
  QPainter painter(&out);
  for (int dy = -width; dy <= width; ++dy) {
    for (int dx = -width; dx <= width; ++dx) {
      if (dx * dx + dy * dy <= width * width + width) painter.drawImage(dx, dy, edge);
    }
  }
  painter.drawImage(0, 0, ink);
  return out;
}

}  // namespace

QString labelText(const ui::View& label) {
  if (const auto* text = label.as<ui::Text>()) return QString::fromStdString(text->string());
  return {};
}

QIcon trayIcon(const ui::View& label) {
  const auto* symbol = label.as<ui::Image>();
  const StackedOutlines rows(stackedRows(label));  // none for the symbol
  QIcon icon;
  for (const int size : kTrayIconSizes) {
    const int width = outlineWidth(size);
    const QRectF box(width, width, size - 2 * width, size - 2 * width);
    QImage ink(size, size, QImage::Format_ARGB32_Premultiplied);
    ink.fill(Qt::transparent);
    QPainter painter(&ink);
    painter.setRenderHint(QPainter::Antialiasing);
    if (symbol) {
      drawSymbol(painter, symbol->systemName, box, kInk);
    } else {
      rows.paint(painter, box);
    }
    painter.end();
    icon.addPixmap(outlined(ink, width));
  }
  return icon;
}

}  // namespace quimbo::desktop

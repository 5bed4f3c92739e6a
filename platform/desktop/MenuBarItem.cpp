#include "platform/desktop/MenuBarItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>
#include <vector>

#include "platform/desktop/Symbols.h"

namespace quimbo::desktop {

namespace {
constexpr int kStripPadding = 8;
// Drawn at each size a tray commonly asks for, so that none is scaled.
constexpr int kTrayIconSizes[] = {16, 22, 24, 32, 48, 64};
}  // namespace

QString labelText(const ui::View& label) {
  if (const auto* text = label.as<ui::Text>()) return QString::fromStdString(text->string());
  return {};
}

namespace {

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

  void paint(QPainter& painter, int size, const QColor& colour) const {
    for (std::size_t i = 0; i < parts.size(); ++i) {
      QTransform place;
      place.translate(centres[i].x() * size, centres[i].y() * size);
      place.scale(scale * size, scale * size);
      painter.fillPath(place.map(parts[i]), colour);
    }
  }
};

}  // namespace

QIcon trayIcon(const ui::View& label, const QColor& colour) {
  const auto* symbol = label.as<ui::Image>();
  const StackedOutlines outlines(stackedRows(label));  // none for the symbol
  QIcon icon;
  for (const int size : kTrayIconSizes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (symbol) {
      drawSymbol(painter, symbol->systemName, QRectF(0, 0, size, size), colour);
    } else {
      outlines.paint(painter, size, colour);
    }
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

StripItem::StripItem(Activated activated)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      activated_(std::move(activated)),
      content_(new QWidget(this)),
      renderer_(content_) {
  setWindowTitle(QStringLiteral("Quimbo"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setCursor(Qt::PointingHandCursor);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(kStripPadding, 3, kStripPadding, 3);
  layout->addWidget(content_);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void StripItem::setLabel(const ui::View& label) {
  const bool first = !isVisible();
  renderer_.show(label);
  adjustSize();
  placeAtTopRight();
  if (first) show();
}

void StripItem::placeAtTopRight() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  move(area.right() + 1 - width(), area.top());
}

void StripItem::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) activated_();
}

TrayItem::TrayItem(Activated activated) {
  QObject::connect(&icon_, &QSystemTrayIcon::activated,
                   [activated = std::move(activated)](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger) activated();
                   });
}

void TrayItem::setLabel(const ui::View& label) {
  const QString text = labelText(label);
  const QString key = text.isEmpty() ? QStringLiteral("\x01symbol") : text;
  if (key == shown_ && icon_.isVisible()) return;
  shown_ = key;
  icon_.setIcon(trayIcon(label, QGuiApplication::palette().color(QPalette::WindowText)));
  icon_.setToolTip(text.isEmpty() ? QStringLiteral("Quimbo") : text);
  icon_.show();
}

QRect TrayItem::anchor() const {
  const QRect geometry = icon_.geometry();
  return geometry.isValid() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
}

}  // namespace quimbo::desktop

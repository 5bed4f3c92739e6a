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

std::unique_ptr<MenuBarItem> MenuBarItem::make(Activated activated) {
  if (QSystemTrayIcon::isSystemTrayAvailable())
    return std::make_unique<TrayItem>(std::move(activated));
  return std::make_unique<StripItem>(std::move(activated));
}

QString labelText(const ui::View& label) {
  if (const auto* text = label.as<ui::Text>()) return QString::fromStdString(text->string());
  return {};
}

QPixmap trayPixmap(const ui::View& label, int size, const QColor& colour) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QString text = labelText(label);
  if (const auto* image = label.as<ui::Image>(); image && text.isEmpty()) {
    drawSymbol(painter, image->systemName, QRectF(0, 0, size, size), colour);
    return pixmap;
  }
  // One outline per part; one scale for all, so that the digits match.
  QFont font;
  font.setPixelSize(100);
  font.setBold(true);
  std::vector<QPainterPath> lines;
  for (const QString& part : text.split(QStringLiteral(" · "))) {
    lines.emplace_back().addText(0, 0, font, part);
  }
  const double rowHeight = double(size) / double(lines.size());
  double scale = 1e9;
  for (const QPainterPath& line : lines) {
    const QRectF box = line.boundingRect();
    if (box.isEmpty()) continue;
    scale = std::min({scale, size / box.width(), rowHeight * 0.9 / box.height()});
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QRectF box = lines[i].boundingRect();
    if (box.isEmpty()) continue;
    QTransform place;
    place.translate(size / 2.0, rowHeight * (double(i) + 0.5));
    place.scale(scale, scale);
    place.translate(-box.center().x(), -box.center().y());
    painter.fillPath(place.map(lines[i]), colour);
  }
  return pixmap;
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
  const QColor colour = QGuiApplication::palette().color(QPalette::WindowText);
  QIcon icon;
  for (const int size : kTrayIconSizes) icon.addPixmap(trayPixmap(label, size, colour));
  icon_.setIcon(icon);
  icon_.setToolTip(text.isEmpty() ? QStringLiteral("Quimbo") : text);
  icon_.show();
}

QRect TrayItem::anchor() const {
  const QRect geometry = icon_.geometry();
  return geometry.isValid() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
}

}  // namespace quimbo::desktop

#include "platform/desktop/MenuBarItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "platform/desktop/DesktopStyle.h"
#include "platform/desktop/Symbols.h"

namespace quimbo::desktop {

namespace {
constexpr int kStripPadding = 8;
constexpr int kTrayIconHeight = 22;
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

QPixmap labelPixmap(const ui::View& label, int height, const QColor& colour) {
  const QFont font = fontFor(ui::Font::body, true);
  const QString text = labelText(label);
  const int width = text.isEmpty() ? height : QFontMetrics(font).horizontalAdvance(text) + 4;
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::TextAntialiasing);
  if (const auto* image = label.as<ui::Image>(); image && text.isEmpty()) {
    drawSymbol(painter, image->systemName, QRectF(0, 0, height, height), colour);
  } else {
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
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
  icon_.setIcon(QIcon(
      labelPixmap(label, kTrayIconHeight, QGuiApplication::palette().color(QPalette::WindowText))));
  icon_.setToolTip(text.isEmpty() ? QStringLiteral("Quimbo") : text);
  icon_.show();
}

QRect TrayItem::anchor() const {
  const QRect geometry = icon_.geometry();
  return geometry.isValid() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
}

}  // namespace quimbo::desktop

#include "platform/desktop/MenuBarItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScreen>

#include "platform/desktop/TrayIcon.h"
#include "platform/desktop/XWayland.h"

namespace quimbo::desktop {

namespace {
constexpr int kStripPadding = 8;
}  // namespace

StripItem::StripItem(Activated activated)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      activated_(std::move(activated)),
      content_(new QWidget(this)),
      renderer_(content_) {
  setWindowTitle(QStringLiteral("Quimbo"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  // A Wayland compositor places the windows it manages where it likes: the
  // strip stays out of its hands, at the top right as on an X server.
  if (onXWayland()) setWindowFlag(Qt::X11BypassWindowManagerHint);
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
  icon_.setIcon(trayIcon(label));
  icon_.setToolTip(text.isEmpty() ? QStringLiteral("Quimbo") : text);
  icon_.show();
}

QRect TrayItem::anchor() const {
  const QRect geometry = icon_.geometry();
  return geometry.isValid() ? geometry : QRect(QCursor::pos(), QSize(1, 1));
}

}  // namespace quimbo::desktop

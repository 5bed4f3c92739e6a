#include "platform/linux/desktop/TrayFollower.h"

#include <QCursor>
#include <QTimer>
#include <chrono>

namespace quimbo::desktop {

namespace {
// How long the start waits for the tray's answer before it shows the strip.
constexpr std::chrono::milliseconds kPatience(250);
}  // namespace

std::unique_ptr<MenuBarItem> MenuBarItem::make(Activated activated, std::function<void()> moved) {
  return std::make_unique<TrayFollower>(std::move(activated), std::move(moved));
}

TrayFollower::TrayFollower(Activated activated, std::function<void()> moved)
    : activated_(std::move(activated)), moved_(std::move(moved)), watch_([this] { follow(); }) {
  follow();
  QTimer::singleShot(kPatience, &context_, [this] {
    if (!item_) show(Kind::none);
  });
}

void TrayFollower::setLabel(const ui::View& label) {
  label_ = label;
  if (item_) item_->setLabel(label);
  if (offered_) offered_->setLabel(label);
}

QRect TrayFollower::anchor() const {
  return item_ ? item_->anchor() : QRect(QCursor::pos(), QSize(1, 1));
}

void TrayFollower::follow() {
  std::optional<TrayWatch::Tray> tray = watch_.tray();
  if (!tray) return;  // the start's patience runs
  if (tray->kind == Kind::dbus && tray->watcher == refusedBy_) tray = TrayWatch::Tray{};
  if (tray == target_) return;
  target_ = tray;
  offered_.reset();
  if (tray->kind == Kind::dbus) {
    offer(*tray);
  } else {
    show(tray->kind);
  }
}

void TrayFollower::offer(const TrayWatch::Tray& tray) {
  // An item in a tray that is gone leaves it (and its path on the bus,
  // which the new one takes) for the strip.
  if (shown_ == Kind::dbus) show(Kind::none);
  const unsigned offer = ++offers_;
  auto item = std::make_unique<StatusNotifierItem>(
      activated_, tray.drawsLabels, watch_.watcher(), [this, offer](bool taken) {
        QMetaObject::invokeMethod(
            &context_, [this, offer, taken] { answered(offer, taken); }, Qt::QueuedConnection);
      });
  if (!item->exported()) {
    refusedBy_ = tray.watcher;
    target_.reset();
    follow();
    return;
  }
  if (label_) item->setLabel(*label_);
  offered_ = std::move(item);
}

void TrayFollower::answered(unsigned offer, bool taken) {
  if (offer != offers_ || !offered_) return;
  if (taken) {
    show(Kind::dbus, std::move(offered_));
    return;
  }
  refusedBy_ = target_->watcher;
  target_.reset();
  offered_.reset();
  follow();
}

void TrayFollower::show(Kind kind, std::unique_ptr<MenuBarItem> item) {
  if (item_ && kind == shown_ && !item) return;
  const bool moving = item_ != nullptr;
  item_.reset();  // the old item leaves its tray before the new one comes
  if (item) {
    item_ = std::move(item);
  } else if (kind == Kind::xembed) {
    item_ = std::make_unique<TrayItem>(activated_);
  } else {
    item_ = std::make_unique<StripItem>(activated_);
  }
  shown_ = kind;
  if (label_ && kind != Kind::dbus) item_->setLabel(*label_);
  if (moving) moved_();
}

}  // namespace quimbo::desktop

#include "platform/linux/desktop/TrayFollower.h"

#include "platform/linux/desktop/StatusNotifierItem.h"

namespace quimbo::desktop {

std::unique_ptr<MenuBarItem> MenuBarItem::make(Activated activated, std::function<void()> moved) {
  return std::make_unique<TrayFollower>(std::move(activated), std::move(moved));
}

TrayFollower::TrayFollower(Activated activated, std::function<void()> moved)
    : activated_(std::move(activated)), moved_(std::move(moved)), watch_([this] { follow(); }) {
  follow();
}

void TrayFollower::setLabel(const ui::View& label) {
  label_ = label;
  item_->setLabel(label);
}

void TrayFollower::follow() {
  TrayWatch::Tray tray = watch_.tray();
  if (item_ && tray == tray_) return;
  const bool moving = item_ != nullptr;
  item_.reset();  // the old item leaves its tray before the new one comes
  switch (tray.kind) {
    case TrayWatch::Tray::Kind::dbus:
      item_ = std::make_unique<StatusNotifierItem>(activated_, tray.drawsLabels);
      break;
    case TrayWatch::Tray::Kind::xembed:
      item_ = std::make_unique<TrayItem>(activated_);
      break;
    case TrayWatch::Tray::Kind::none:
      item_ = std::make_unique<StripItem>(activated_);
      break;
  }
  tray_ = std::move(tray);
  if (label_) item_->setLabel(*label_);
  if (moving) moved_();
}

}  // namespace quimbo::desktop

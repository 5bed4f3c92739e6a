#include "platform/linux/desktop/TrayFollower.h"

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
  const bool tray = watch_.available();
  if (item_ && tray == inTray_) return;
  const bool moving = item_ != nullptr;
  if (tray) {
    watch_.lock();
    item_ = std::make_unique<TrayItem>(activated_);
  } else {
    item_ = std::make_unique<StripItem>(activated_);
  }
  inTray_ = tray;
  if (label_) item_->setLabel(*label_);
  if (moving) moved_();
}

}  // namespace quimbo::desktop

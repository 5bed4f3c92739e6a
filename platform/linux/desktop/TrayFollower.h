#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/desktop/MenuBarItem.h"
#include "platform/linux/desktop/TrayWatch.h"

namespace quimbo::desktop {

// The menu-bar item for the whole run: a tray icon while a tray is there,
// the strip while none is. It moves into a tray that appears after it, and
// back to the strip when the tray goes (a panel restarting or crashing).
class TrayFollower final : public MenuBarItem {
 public:
  // `activated` runs on a click on either; `moved` after each move.
  TrayFollower(Activated activated, std::function<void()> moved);
  void setLabel(const ui::View& label) override;
  QRect anchor() const override { return item_->anchor(); }
  bool inTray() const { return inTray_; }

 private:
  void follow();

  Activated activated_;
  std::function<void()> moved_;
  TrayWatch watch_;
  std::unique_ptr<MenuBarItem> item_;
  bool inTray_ = false;
  std::optional<ui::View> label_;
};

}  // namespace quimbo::desktop

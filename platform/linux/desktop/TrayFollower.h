#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/desktop/MenuBarItem.h"
#include "platform/linux/desktop/TrayWatch.h"

namespace quimbo::desktop {

// The menu-bar item for the whole run: an item of the tray hosted over D-Bus
// while one is there, else an icon in the XEmbed tray, else the strip. It
// moves into a tray that appears after it, and back to the strip when the
// tray goes (a panel restarting or crashing); a watcher that comes back gets
// the item registered again.
class TrayFollower final : public MenuBarItem {
 public:
  // `activated` runs on a click on any of them; `moved` after each move.
  TrayFollower(Activated activated, std::function<void()> moved);
  void setLabel(const ui::View& label) override;
  QRect anchor() const override { return item_->anchor(); }

 private:
  void follow();

  Activated activated_;
  std::function<void()> moved_;
  TrayWatch watch_;
  TrayWatch::Tray tray_;
  std::unique_ptr<MenuBarItem> item_;
  std::optional<ui::View> label_;
};

}  // namespace quimbo::desktop

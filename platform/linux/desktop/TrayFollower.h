#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "platform/desktop/MenuBarItem.h"
#include "platform/linux/desktop/StatusNotifierItem.h"
#include "platform/linux/desktop/TrayWatch.h"

namespace quimbo::desktop {

// The menu-bar item for the whole run: an item of the tray hosted over D-Bus
// while one is there, else an icon in the XEmbed tray, else the strip. It
// moves into a tray that appears after it, and back to the strip when the
// tray goes (a panel restarting or crashing); a watcher that comes back gets
// the item registered again. The label is never in a tray that nobody
// draws: an item offered to a watcher takes the place of the strip (or the
// icon) only once the watcher took it, and one that the watcher refused, or
// that could not be put on the bus, leaves the strip for as long as that
// watcher runs. While a tray has not answered, the strip shows: at once
// where there is something to replace, after a moment at the start (a tray
// that answers at once is never preceded by a strip).
class TrayFollower final : public MenuBarItem {
 public:
  // `activated` runs on a click on any of them; `moved` after each move.
  TrayFollower(Activated activated, std::function<void()> moved);
  void setLabel(const ui::View& label) override;
  QRect anchor() const override;

 private:
  using Kind = TrayWatch::Tray::Kind;
  void follow();
  void offer(const TrayWatch::Tray& tray);
  void answered(unsigned offer, bool taken);
  void show(Kind kind, std::unique_ptr<MenuBarItem> item = nullptr);

  Activated activated_;
  std::function<void()> moved_;
  QObject context_;  // the watcher's answers come through it, once the item's own code returned
  TrayWatch watch_;
  std::optional<TrayWatch::Tray> target_;  // where the item is, or is offered
  QString refusedBy_;                      // a watcher that did not take the item
  Kind shown_ = Kind::none;
  std::unique_ptr<MenuBarItem> item_;  // what shows the label
  std::unique_ptr<StatusNotifierItem> offered_;
  unsigned offers_ = 0;
  std::optional<ui::View> label_;
};

}  // namespace quimbo::desktop

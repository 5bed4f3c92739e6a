#pragma once

#include <QRect>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/desktop/WidgetRenderer.h"
#include "ui/View.h"

namespace quimbo::desktop {

// Where the menu-bar label lives on a desktop: a system-tray icon where a
// tray runs, otherwise a small frameless strip at the top edge of the screen
// (TrayFollower picks one and follows the tray).
class MenuBarItem {
 public:
  using Activated = std::function<void()>;
  virtual ~MenuBarItem() = default;

  virtual void setLabel(const ui::View& label) = 0;
  // The rectangle, in screen coordinates, that the panel drops down from.
  virtual QRect anchor() const = 0;
  // Called just before the panel drops down from the item.
  virtual void preparePanel(QWidget& panel) { (void)panel; }

  // The item of the system it runs on: on Linux the tray icon while a tray
  // runs and the strip while none does, following the tray (TrayFollower);
  // on macOS the menu bar's status item. `activated` runs on a click,
  // `moved` after the item moved elsewhere.
  static std::unique_ptr<MenuBarItem> make(Activated activated, std::function<void()> moved);
};

// Before Qt starts: the display platform Qt is to use, where the system
// offers a choice (X11, XWayland or Wayland on Linux).
void prepareDisplay();

// The part of `screen` that windows may take, beside its bars and docks: as
// the window system says, or, where it says nothing of them to X clients
// (sway), as the compositor says.
QRect workArea(const QScreen& screen);

class StripItem final : public QWidget, public MenuBarItem {
 public:
  explicit StripItem(Activated activated);
  void setLabel(const ui::View& label) override;
  QRect anchor() const override { return frameGeometry(); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void placeAtTopRight();
  Activated activated_;
  QWidget* content_;
  WidgetRenderer renderer_;
};

class TrayItem final : public MenuBarItem {
 public:
  explicit TrayItem(Activated activated);
  void setLabel(const ui::View& label) override;
  QRect anchor() const override;

 private:
  QSystemTrayIcon icon_;
  QString shown_;
};

}  // namespace quimbo::desktop

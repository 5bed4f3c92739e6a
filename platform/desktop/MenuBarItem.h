#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRect>
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
};

// The label as a tray icon, drawn at every size a tray commonly asks for
// (16 to 64 pixels). A tray gives every icon a square, so the label's parts
// are stacked ("57°" over "1840"), each as large as the square allows; the
// symbol alone fills it.
QIcon trayIcon(const ui::View& label, const QColor& colour);

// The text a label reads, or "" for a symbol alone.
QString labelText(const ui::View& label);

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

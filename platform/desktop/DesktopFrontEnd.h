#pragma once

#include <QWidget>
#include <memory>

#include "platform/desktop/QtRunLoop.h"
#include "platform/desktop/TrayFollower.h"
#include "platform/desktop/WidgetRenderer.h"
#include "ui/Application.h"
#include "ui/QuimboApp.h"

namespace quimbo::desktop {

// The panel's window: a pop-up that closes on a click outside it, as a
// window-style menu-bar extra does.
class PanelWindow final : public QWidget {
 public:
  PanelWindow();
  // Shows the panel's view in the window, updating what is there; the
  // window takes the panel's size.
  void render(const ui::View& panel);
  void dropDownFrom(const QRect& anchor);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  WidgetRenderer renderer_;
};

// Runs the application on a desktop: the label in the tray or a strip, the
// panel below it on a click, repainted after every change of the Monitor.
// A QApplication must exist.
class DesktopFrontEnd final : public ui::Application {
 public:
  explicit DesktopFrontEnd(QtRunLoop& loop) : loop_(loop) {}
  // Runs until Quit; returns the application's exit status (0).
  int run(ui::QuimboApp& app);
  void terminate() override;

 private:
  QtRunLoop& loop_;
};

}  // namespace quimbo::desktop

#pragma once

#include "platform/desktop/PanelWindow.h"
#include "platform/desktop/QtRunLoop.h"
#include "platform/desktop/TrayFollower.h"
#include "ui/Application.h"
#include "ui/QuimboApp.h"

namespace quimbo::desktop {

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

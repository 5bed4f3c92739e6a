#pragma once

#include <optional>

#include "platform/desktop/MenuBarItem.h"
#include "platform/desktop/PanelWindow.h"
#include "platform/desktop/QtRunLoop.h"
#include "platform/process/Bundle.h"
#include "ui/Application.h"
#include "ui/QuimboApp.h"

namespace quimbo::desktop {

// Runs the application on a desktop: the label in the tray or a strip, the
// panel below it on a click, repainted after every change of the Monitor.
// A QApplication must exist.
class DesktopFrontEnd final : public ui::Application {
 public:
  // Reads the logo from the bundle, once.
  DesktopFrontEnd(QtRunLoop& loop, const std::optional<Bundle>& bundle);
  // Runs until Quit; returns the application's exit status (0).
  int run(ui::QuimboApp& app);
  void terminate() override;
  const std::optional<ui::Logo>& logo() const override { return logo_; }

 private:
  QtRunLoop& loop_;
  std::optional<ui::Logo> logo_;
};

}  // namespace quimbo::desktop

#pragma once

#include <functional>
#include <memory>

#include "monitor/Monitor.h"
#include "ui/Application.h"
#include "ui/PanelView.h"
#include "ui/View.h"

namespace quimbo::ui {

// The one scene: a menu-bar item with its label, whose click opens the panel
// in a window-style drop-down.
struct MenuBarExtra {
  PanelView content;
  View label;
  bool windowStyle = true;
};

// The application: owns the one Monitor of the process, created on first
// use and kept until the process ends.
class QuimboApp final {
 public:
  using MonitorFactory = std::function<std::shared_ptr<Monitor>()>;

  QuimboApp(MonitorFactory makeMonitor, Application& app)
      : makeMonitor_(std::move(makeMonitor)), app_(app) {}

  // The state object: made by the factory the first time it is read.
  Monitor& mon();
  MenuBarExtra body();

  // The label: "57° · 1840" while the SMC is available, else the thermometer.
  static View menuBarLabel(const Monitor& mon);

 private:
  MonitorFactory makeMonitor_;
  Application& app_;
  std::shared_ptr<Monitor> mon_;
};

}  // namespace quimbo::ui

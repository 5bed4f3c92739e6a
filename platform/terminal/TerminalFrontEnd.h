#pragma once

#include "platform/runloop/PollRunLoop.h"
#include "ui/Application.h"
#include "ui/QuimboApp.h"

namespace quimbo::terminal {

// Runs the application on the controlling terminal: the menu bar on the top
// line, the panel below the label, keys and mouse clicks, and a repaint after
// every change of the Monitor.
//
// Keys: Enter or Space opens and closes the panel, Escape closes it, Tab
// moves the focus to the Quit button, which Enter then presses.
class TerminalFrontEnd final : public ui::Application {
 public:
  explicit TerminalFrontEnd(PollRunLoop& loop) : loop_(loop) {}

  // Runs until Quit (status 0), SIGINT, SIGTERM or a hang-up (128 + the
  // signal). The terminal is given back before this returns, also when it
  // throws.
  int run(ui::QuimboApp& app);

  void terminate() override { loop_.stop(0); }
  // Cells show no images: the brand mark is the fan symbol.
  const std::optional<ui::Logo>& logo() const override { return noLogo_; }

 private:
  PollRunLoop& loop_;
  std::optional<ui::Logo> noLogo_;
};

}  // namespace quimbo::terminal

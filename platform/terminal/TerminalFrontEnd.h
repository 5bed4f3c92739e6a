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
// moves the focus to the Quit button, which Enter then presses; the arrows,
// Page Up/Down, Home, End and the mouse wheel scroll a panel taller than the
// terminal. Ctrl-Z suspends it with the terminal given back.
class TerminalFrontEnd final : public ui::Application {
 public:
  explicit TerminalFrontEnd(PollRunLoop& loop) : loop_(loop) {}

  // Runs until Quit (status 0), SIGINT, SIGTERM or a hang-up (128 + the
  // signal; 129 also when the terminal is gone without one). The terminal is
  // given back before this returns, also when it throws. After SIGQUIT the
  // terminal is given back and the program dies of the signal.
  int run(ui::QuimboApp& app);

  void terminate() override { loop_.stop(0); }
  // Cells show no images: the brand mark is the fan symbol.
  const std::optional<ui::Logo>& logo() const override { return noLogo_; }

 private:
  PollRunLoop& loop_;
  std::optional<ui::Logo> noLogo_;
};

}  // namespace quimbo::terminal

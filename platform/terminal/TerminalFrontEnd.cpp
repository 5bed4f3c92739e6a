#include "platform/terminal/TerminalFrontEnd.h"

#include <curses.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "platform/terminal/MenuBar.h"
#include "platform/terminal/TerminalScreen.h"
#include "ui/ObservedObject.h"

namespace quimbo::terminal {

namespace {

constexpr int kEscape = 27;
constexpr int kTab = '\t';

// Signals that end the program, with 128 + the signal as its status.
constexpr std::array kEndingSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};
// Enough for any burst of typing; a terminal that keeps answering more
// cannot hold the loop.
constexpr int kMostInputsAtOnce = 4096;

std::optional<MenuBar::Key> functionKey(int code) {
  switch (code) {
    case KEY_ENTER:
      return MenuBar::Key::activate;
    case KEY_BTAB:
      return MenuBar::Key::tab;
    case KEY_UP:
      return MenuBar::Key::up;
    case KEY_DOWN:
      return MenuBar::Key::down;
    case KEY_PPAGE:
      return MenuBar::Key::pageUp;
    case KEY_NPAGE:
      return MenuBar::Key::pageDown;
    case KEY_HOME:
      return MenuBar::Key::home;
    case KEY_END:
      return MenuBar::Key::end;
    default:
      return std::nullopt;
  }
}

std::optional<MenuBar::Key> menuKey(const TerminalScreen::Key& key) {
  if (key.function) return functionKey(key.code);
  switch (key.code) {
    case '\r':
    case '\n':
    case ' ':
      return MenuBar::Key::activate;
    case kEscape:
      return MenuBar::Key::escape;
    case kTab:
      return MenuBar::Key::tab;
    default:
      return std::nullopt;
  }
}

}  // namespace

int TerminalFrontEnd::run(ui::QuimboApp& app) {
  // Taken before curses starts, so that they arrive as events of the loop
  // and never interrupt curses. What they ask for is done when the loop is
  // next idle.
  struct {
    bool resized = false;
    bool suspend = false;
    bool resumed = false;
  } asked;
  loop_.handleSignals(
      {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGWINCH, SIGTSTP, SIGCONT}, [&](int signal) {
        if (signal == SIGWINCH) asked.resized = true;
        if (signal == SIGTSTP) asked.suspend = true;
        if (signal == SIGCONT) asked.resumed = true;
        if (std::find(kEndingSignals.begin(), kEndingSignals.end(), signal) != kEndingSignals.end())
          loop_.stop(128 + signal);
      });

  TerminalScreen screen;
  MenuBar menuBar;
  ui::MenuBarExtra scene = app.body();  // the Monitor is made here, with its first readings
  bool dirty = true;
  ui::ObservedObject observer(app.mon(), loop_, [&] {
    scene = app.body();
    dirty = true;
  });

  const auto run = [&](const MenuBar::Action& action) {
    dirty = true;
    if (action) action();
  };
  loop_.watch(
      STDIN_FILENO,
      [&] {
        for (int n = 0; n < kMostInputsAtOnce; ++n) {
          const auto input = screen.read();
          if (!input) break;
          if (const auto* click = std::get_if<TerminalScreen::Click>(&*input)) {
            run(menuBar.click(click->row, click->col));
          } else if (const auto* wheel = std::get_if<TerminalScreen::Wheel>(&*input)) {
            menuBar.scrollBy(wheel->lines);
            dirty = true;
          } else if (const auto key = menuKey(std::get<TerminalScreen::Key>(*input))) {
            run(menuBar.key(*key));
          }
        }
      },
      [&] {  // the terminal is gone
        screen.hungUp();
        // The kernel's SIGHUP for the same hang-up may come later, once the
        // loop no longer reads signals: it must not end the process anew.
        ::signal(SIGHUP, SIG_IGN);
        loop_.stop(128 + SIGHUP);
      });
  loop_.whenIdle([&] {
    if (asked.suspend) {
      asked.suspend = false;
      screen.suspend();
      // Stops here; SIGCONT, read next, takes the terminal again.
      ::raise(SIGSTOP);
      return;
    }
    if (asked.resumed) {
      asked.resumed = asked.resized = false;
      screen.resume();
      dirty = true;
    }
    if (asked.resized) {
      asked.resized = false;
      screen.resize();
      dirty = true;
    }
    if (!dirty) return;
    dirty = false;
    screen.paint(menuBar.compose(scene, screen.width(), screen.height()));
  });
  const int status = loop_.run();
  loop_.whenIdle({});
  return status;
}

}  // namespace quimbo::terminal

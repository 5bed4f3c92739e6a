#include "platform/terminal/TerminalFrontEnd.h"

#include <curses.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/terminal/MenuBar.h"
#include "platform/terminal/TerminalScreen.h"
#include "ui/ObservedObject.h"

namespace quimbo::terminal {

namespace {

constexpr int kEscape = 27;

// Signals that end the program, with 128 + the signal as its status.
constexpr std::array kEndingSignals{SIGINT, SIGTERM, SIGHUP};
// Enough for any burst of typing; a terminal that keeps answering more
// cannot hold the loop.
constexpr int kMostInputsAtOnce = 4096;

struct KeyBinding {
  TerminalScreen::Key key;
  MenuBar::Key menuKey;
};
constexpr KeyBinding kKeys[] = {
    {{'\r', false}, MenuBar::Key::activate},     {{'\n', false}, MenuBar::Key::activate},
    {{' ', false}, MenuBar::Key::activate},      {{KEY_ENTER, true}, MenuBar::Key::activate},
    {{kEscape, false}, MenuBar::Key::escape},    {{'\t', false}, MenuBar::Key::tab},
    {{KEY_BTAB, true}, MenuBar::Key::tab},       {{KEY_UP, true}, MenuBar::Key::up},
    {{KEY_DOWN, true}, MenuBar::Key::down},      {{KEY_PPAGE, true}, MenuBar::Key::pageUp},
    {{KEY_NPAGE, true}, MenuBar::Key::pageDown}, {{KEY_HOME, true}, MenuBar::Key::home},
    {{KEY_END, true}, MenuBar::Key::end},
};

std::optional<MenuBar::Key> menuKey(const TerminalScreen::Key& key) {
  for (const KeyBinding& binding : kKeys) {
    if (binding.key.code == key.code && binding.key.function == key.function) {
      return binding.menuKey;
    }
  }
  return std::nullopt;
}

// Ctrl-\ asks for the program's end with a core dump: once the terminal is
// given back, the program dies of SIGQUIT as it would have without us.
[[noreturn]] void dieOfQuit() {
  ::signal(SIGQUIT, SIG_DFL);
  sigset_t quit;
  sigemptyset(&quit);
  sigaddset(&quit, SIGQUIT);
  ::pthread_sigmask(SIG_UNBLOCK, &quit, nullptr);
  ::raise(SIGQUIT);
  std::_Exit(128 + SIGQUIT);  // not reached
}

}  // namespace

int TerminalFrontEnd::run(ui::QuimboApp& app) {
  bool quit = false;
  const int status = session(app, quit);  // the terminal is given back by now
  if (quit) dieOfQuit();
  return status;
}

int TerminalFrontEnd::session(ui::QuimboApp& app, bool& quit) {
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
        if (signal == SIGQUIT) quit = true;
        if (std::find(kEndingSignals.begin(), kEndingSignals.end(), signal) != kEndingSignals.end() ||
            quit) {
          loop_.stop(128 + signal);
        }
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

#include "platform/terminal/TerminalFrontEnd.h"

#include <curses.h>
#include <signal.h>
#include <unistd.h>

#include "platform/terminal/MenuBar.h"
#include "platform/terminal/TerminalScreen.h"
#include "ui/ObservedObject.h"

namespace quimbo::terminal {

namespace {

constexpr int kEscape = 27;
constexpr int kTab = '\t';

std::optional<MenuBar::Key> menuKey(const TerminalScreen::Key& key) {
  if (key.function) {
    if (key.code == KEY_ENTER) return MenuBar::Key::activate;
    if (key.code == KEY_BTAB) return MenuBar::Key::tab;
    return std::nullopt;
  }
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
  // and never interrupt curses.
  bool resized = false;
  loop_.handleSignals({SIGINT, SIGTERM, SIGHUP, SIGWINCH}, [&](int signal) {
    if (signal == SIGWINCH) {
      resized = true;
    } else {
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
        while (const auto input = screen.read()) {
          if (const auto* click = std::get_if<TerminalScreen::Click>(&*input)) {
            run(menuBar.click(click->row, click->col));
          } else if (const auto key = menuKey(std::get<TerminalScreen::Key>(*input))) {
            run(menuBar.key(*key));
          }
        }
      },
      [&] { loop_.stop(128 + SIGHUP); });  // the terminal is gone
  loop_.whenIdle([&] {
    if (resized) {
      resized = false;
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

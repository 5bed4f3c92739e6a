#include "platform/terminal/TerminalFrontEnd.h"

#include <curses.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>

#include "platform/process/IgnoreSignals.h"
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

// What the signals asked for. They arrive as events of the loop, and what
// they ask is done when the loop is next idle; those that end the program
// stop the loop at once.
struct Requests {
  bool resized = false;
  bool suspend = false;
  bool resumed = false;
  bool quit = false;

  static constexpr std::initializer_list<int> kSignals = {SIGINT,   SIGTERM, SIGHUP, SIGQUIT,
                                                          SIGWINCH, SIGTSTP, SIGCONT};

  void take(int signal, PollRunLoop& loop) {
    if (signal == SIGWINCH) resized = true;
    if (signal == SIGTSTP) suspend = true;
    if (signal == SIGCONT) resumed = true;
    if (signal == SIGQUIT) quit = true;
    const bool ending =
        std::find(kEndingSignals.begin(), kEndingSignals.end(), signal) != kEndingSignals.end();
    if (ending || signal == SIGQUIT) loop.stop(128 + signal);
  }
};

// One run on the terminal: the screen taken for its length, the menu bar
// and its panel repainted after every change of the Monitor, input and
// signals turned into what they ask for.
class Session final {
 public:
  Session(PollRunLoop& loop, ui::QuimboApp& app, Requests& asked)
      : loop_(loop),
        app_(app),
        asked_(asked),
        scene_(app.body()),  // the Monitor is made here, with its first readings
        observer_(app.mon(), loop, [this] { reevaluate(); }) {}

  int run() {
    loop_.watch(
        STDIN_FILENO, [this] { readInput(); }, [this] { hangUp(); });
    loop_.whenIdle([this] { idle(); });
    const int status = loop_.run();
    loop_.whenIdle({});
    return status;
  }

 private:
  void readInput() {
    for (int n = 0; n < kMostInputsAtOnce; ++n) {
      const auto input = screen_.read();
      if (!input) break;
      if (const auto* click = std::get_if<TerminalScreen::Click>(&*input)) {
        act(menuBar_.click(click->row, click->col));
      } else if (const auto* wheel = std::get_if<TerminalScreen::Wheel>(&*input)) {
        menuBar_.scrollBy(wheel->lines);
        dirty_ = true;
      } else if (const auto key = menuKey(std::get<TerminalScreen::Key>(*input))) {
        act(menuBar_.key(*key));
      }
    }
  }

  // The scene after a change of the Monitor. A closed panel shows nothing
  // of it but the label: the screen is composed again only when that reads
  // otherwise.
  void reevaluate() {
    ui::MenuBarExtra scene = app_.body();
    if (menuBar_.isOpen() || scene.label != scene_.label) dirty_ = true;
    scene_ = std::move(scene);
  }

  // What a click or key did to the menu bar is shown; a pressed button acts.
  void act(const MenuBar::Action& action) {
    dirty_ = true;
    if (action) action();
  }

  // The terminal is gone: nothing more is written to it.
  void hangUp() {
    screen_.hungUp();
    // The kernel's SIGHUP for the same hang-up may come later, once the
    // loop no longer reads signals: it must not end the process anew.
    ::signal(SIGHUP, SIG_IGN);
    loop_.stop(128 + SIGHUP);
  }

  void idle() {
    if (asked_.suspend) {
      asked_.suspend = false;
      screen_.suspend();
      // Stops here; SIGCONT, read next, takes the terminal again.
      ::raise(SIGSTOP);
      return;
    }
    if (asked_.resumed) {
      asked_.resumed = asked_.resized = false;
      screen_.resume();
      dirty_ = true;
    }
    if (asked_.resized) {
      asked_.resized = false;
      screen_.resize();
      dirty_ = true;
    }
    // What curses wrote since the last paint goes out first. A terminal that
    // has not taken the last frame yet gets the latest one once it has:
    // nothing is composed or painted meanwhile.
    if (screen_.flush() && dirty_) {
      dirty_ = false;
      screen_.paint(menuBar_.compose(scene_, screen_.width(), screen_.height()));
    }
    if (screen_.waiting()) loop_.whenWritable(screen_.outputFd(), [this] { screen_.flush(); });
  }

  PollRunLoop& loop_;
  ui::QuimboApp& app_;
  Requests& asked_;
  TerminalScreen screen_;
  MenuBar menuBar_;
  ui::MenuBarExtra scene_;
  bool dirty_ = true;
  ui::ObservedObject observer_;
};

}  // namespace

int TerminalFrontEnd::run(ui::QuimboApp& app) {
  Requests asked;
  // Taken before curses starts, so that they never interrupt it.
  loop_.handleSignals(Requests::kSignals, [&](int signal) { asked.take(signal, loop_); });
  const int status = Session(loop_, app, asked).run();  // the terminal is given back by now
  // Those that come from now on, or came after the loop read its last, leave
  // the status as it is (SIGQUIT's end included).
  ignoreSignals(Requests::kSignals);
  if (asked.quit) dieOfQuit();
  return status;
}

}  // namespace quimbo::terminal

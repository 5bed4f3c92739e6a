#include "platform/terminal/TerminalRescue.h"

#include <unistd.h>

#include <cassert>
#include <cstddef>

#include "platform/files/WriteAll.h"

namespace quimbo::terminal {

namespace {

// Shows the cursor, ends every mouse-reporting mode, leaves the keypad's
// application mode and the alternate screen, and resets the attributes: what
// any xterm-like terminal needs after a full-screen program.
constexpr char kReset[] =
    "\033[0m\033[?1000l\033[?1002l\033[?1003l\033[?1006l\033[?1l\033>\033[?1049l\033[?25h";
constexpr std::size_t kStackSize = 64 * 1024;

// A handler reaches only static storage. These are written before the
// handlers are installed (and `armed` from the main thread only), and read by
// the handler.
int terminalFd = -1;
termios savedModes{};
volatile sig_atomic_t armed = 0;
bool installed = false;

// Async-signal-safe: it calls only tcsetattr(3), write(2) (through
// writeAll, which writes what a short write left) and raise(3), which POSIX
// lists as safe in a handler, and touches no memory but the statics above.
// What fails is not told: the process is dying, with no one to tell. The
// handler was reset to the default on entry (SA_RESETHAND); the signal
// raised again is blocked until the handler returns and then ends the
// process as it would have (a fault returns to the faulting instruction,
// which faults again with the default in force).
extern "C" void rescueTerminal(int signal) {
  if (armed) {
    ::tcsetattr(terminalFd, TCSANOW, &savedModes);
    static_cast<void>(writeAll(terminalFd, {kReset, sizeof kReset - 1}));
  }
  ::raise(signal);
}

}  // namespace

TerminalRescue::TerminalRescue(int fd) {
  assert(!installed && "one rescue at a time");
  if (::tcgetattr(fd, &savedModes) != 0) return;
  terminalFd = fd;
  active_ = installed = true;

  // The fields by name: systems order them differently (Darwin: ss_sp,
  // ss_size, ss_flags).
  stack_ = std::make_unique<char[]>(kStackSize);
  stack_t stack{};
  stack.ss_sp = stack_.get();
  stack.ss_size = kStackSize;
  stack.ss_flags = 0;
  // Without a stack of its own the handler still runs on the thread's, for
  // every death but the stack's overflow.
  ownStack_ = ::sigaltstack(&stack, &previousStack_) == 0;
  if (!ownStack_) stack_.reset();

  struct sigaction action {};
  action.sa_handler = rescueTerminal;
  action.sa_flags = SA_RESETHAND | (ownStack_ ? SA_ONSTACK : 0);
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    ::sigaction(kSignals[i], &action, &previous_[i]);
  }
}

TerminalRescue::~TerminalRescue() {
  if (!active_) return;
  armed = 0;
  for (std::size_t i = 0; i < kSignals.size(); ++i)
    ::sigaction(kSignals[i], &previous_[i], nullptr);
  if (ownStack_) ::sigaltstack(&previousStack_, nullptr);
  installed = false;
}

void TerminalRescue::arm(bool on) { armed = active_ && on; }

}  // namespace quimbo::terminal

#pragma once

#include <signal.h>
#include <termios.h>

#include <array>
#include <memory>

namespace quimbo::terminal {

// Gives the terminal back when the process dies of a signal it cannot live
// through (SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL): the terminal's modes as
// they were when this was made, the cursor shown, mouse reporting ended and
// the normal screen back; then the signal takes its default course, so the
// exit status and the core dump stay. One at a time per process.
class TerminalRescue final {
 public:
  // Saves the modes of the terminal on `fd` and catches the signals; does
  // nothing when `fd` is not a terminal.
  explicit TerminalRescue(int fd);
  // The handlers that were in force before come back.
  ~TerminalRescue();
  TerminalRescue(const TerminalRescue&) = delete;
  TerminalRescue& operator=(const TerminalRescue&) = delete;

  // Whether a death puts the terminal back: only while the program has it in
  // its own modes.
  void arm(bool armed);

 private:
  static constexpr std::array kSignals{SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};

  bool active_ = false;
  std::array<struct sigaction, kSignals.size()> previous_{};
  std::unique_ptr<char[]> stack_;  // the handler's own, for a stack that overflowed
  bool ownStack_ = false;          // whether the system took it
  stack_t previousStack_{};
};

}  // namespace quimbo::terminal

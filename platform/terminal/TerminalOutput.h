#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "platform/files/FileDescriptor.h"

namespace quimbo::terminal {

// The way from curses to a terminal that may stop taking output (a client
// that reads no more, output stopped by flow control), without the program
// ever waiting for it: curses writes into a file in memory, which takes any
// amount at once, and what it wrote is sent on through a descriptor of the
// terminal that never blocks, as far as the terminal takes it. Curses retries
// a write that would block for as long as it fails, so it must never write to
// the terminal itself.
class TerminalOutput final {
 public:
  // Output for the terminal on `terminal`, which stays open and blocking for
  // everyone else. Throws std::system_error when the file for curses cannot
  // be made.
  explicit TerminalOutput(int terminal);
  ~TerminalOutput();
  TerminalOutput(const TerminalOutput&) = delete;
  TerminalOutput& operator=(const TerminalOutput&) = delete;

  // What curses writes to.
  std::FILE* file() const { return file_; }
  // The terminal, opened for writes that never block: poll it for POLLOUT
  // while output waits. Its modes and size are read and set through it too.
  int terminal() const { return terminal_.get(); }

  // Takes what curses wrote since the last call and sends what waits, as far
  // as the terminal takes it now. Returns whether nothing is left waiting.
  bool flush();
  // The same, for when curses cannot have written since: only what waits.
  bool send();
  bool waiting() const { return sent_ < waiting_.size(); }
  // The terminal is gone: nothing more is sent to it.
  void drop();

 private:
  void takeWritten();

  std::FILE* file_ = nullptr;
  FileDescriptor terminal_;
  std::optional<int> sharedFlags_;  // to put back, when the shared description was used
  std::string waiting_;             // the bytes not sent yet: at most a frame and a few sequences
  std::size_t sent_ = 0;
  bool gone_ = false;
};

}  // namespace quimbo::terminal

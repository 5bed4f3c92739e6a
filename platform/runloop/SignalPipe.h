#pragma once

#include <functional>

#include "platform/files/FileDescriptor.h"

namespace quimbo {

// A pipe of the process's own that carries signal numbers, one byte each,
// from where they are caught (a handler, another thread) to the loop that
// reads them. Both ends are non-blocking and closed on exec.
class SignalPipe final {
 public:
  // Throws std::system_error when the pipe cannot be made; nothing is kept then.
  SignalPipe();

  int readEnd() const { return readEnd_.get(); }
  int writeEnd() const { return writeEnd_.get(); }

  // Writes `signal` to the write end `fd`; async-signal-safe. With the pipe
  // full the signal is dropped, as a second pending signal of one number is.
  static void send(int fd, int signal);
  void send(int signal) const { send(writeEnd(), signal); }
  // Calls `onSignal` with each number in the pipe, oldest first.
  void drain(const std::function<void(int)>& onSignal) const;

 private:
  FileDescriptor readEnd_;
  FileDescriptor writeEnd_;
};

}  // namespace quimbo

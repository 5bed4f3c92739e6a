#pragma once

#include <signal.h>

#include <functional>
#include <initializer_list>

namespace quimbo {

// Takes signals away from their handlers and hands them out as reads of a
// file descriptor, so that a loop can treat them as ordinary events. The
// signals are blocked for the calling thread (and every thread it starts
// afterwards) while this lives; the mask in force before is restored after.
class SignalFd {
 public:
  // Throws std::system_error when the signals cannot be taken.
  explicit SignalFd(std::initializer_list<int> which);
  ~SignalFd();
  SignalFd(const SignalFd&) = delete;
  SignalFd& operator=(const SignalFd&) = delete;

  // Readable while a signal is pending.
  int fd() const { return fd_; }
  // Calls `onSignal` with each pending signal's number, oldest first.
  void drain(const std::function<void(int)>& onSignal);

 private:
  sigset_t oldMask_{};
  int fd_ = -1;
};

}  // namespace quimbo

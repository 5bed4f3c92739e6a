#pragma once

#include <signal.h>

#include <initializer_list>

#include "platform/files/FileDescriptor.h"
#include "platform/runloop/SignalSource.h"

namespace quimbo {

// Signals read from a signalfd: they are blocked for the calling thread (and
// every thread it starts afterwards) while this lives; the mask in force
// before is restored after.
class SignalFd final : public SignalSource {
 public:
  // Throws std::system_error when the signals cannot be taken.
  explicit SignalFd(std::initializer_list<int> which);
  ~SignalFd() override;
  SignalFd(const SignalFd&) = delete;
  SignalFd& operator=(const SignalFd&) = delete;

  int fd() const override { return fd_.get(); }
  void drain(const std::function<void(int)>& onSignal) override;

 private:
  sigset_t oldMask_{};
  FileDescriptor fd_;
};

}  // namespace quimbo

#pragma once

#include <signal.h>

#include <initializer_list>
#include <vector>

#include "platform/runloop/SignalPipe.h"
#include "platform/runloop/SignalSource.h"

namespace quimbo {

// Signals caught by a handler that writes each one's number into a pipe of
// the process's own; the loop reads them from the other end. Works on every
// POSIX system. While this lives, its signals are caught and unblocked for
// the calling thread (and every thread it starts afterwards); the actions
// and the mask in force before are restored after, except where an action
// was set meanwhile.
class SelfPipe final : public SignalSource {
 public:
  // Throws std::system_error when the pipe cannot be made or a signal
  // cannot be caught; nothing is kept then.
  explicit SelfPipe(std::initializer_list<int> which);
  ~SelfPipe() override;
  SelfPipe(const SelfPipe&) = delete;
  SelfPipe& operator=(const SelfPipe&) = delete;

  int fd() const override { return pipe_.readEnd(); }
  void drain(const std::function<void(int)>& onSignal) override { pipe_.drain(onSignal); }

 private:
  struct Taken {
    int signal;
    struct sigaction action;
    int writeEnd;  // of the source that held the signal before, or -1
  };

  void take(int signal);
  void giveBack();

  SignalPipe pipe_;
  std::vector<Taken> taken_;
  sigset_t oldMask_{};
  bool masked_ = false;
};

}  // namespace quimbo

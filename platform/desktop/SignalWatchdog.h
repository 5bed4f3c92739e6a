#pragma once

#include <chrono>
#include <memory>
#include <thread>

#include "platform/runloop/SignalPipe.h"
#include "platform/runloop/SignalSource.h"

namespace quimbo {

// Signals that end the program, for a loop that can get stuck (in a round
// trip to a display server that no longer answers, say). A thread of its own
// reads them from `inner` and hands them on through this source, in order.
// When this source still lives `grace` after the first of them, the loop has
// not ended in time, and the thread ends the process at once, with the
// status the loop would have given: 128 plus the signal's number. Nothing
// in the thread throws: an exception there would end the process through
// std::terminate, with SIGABRT instead of that status.
class SignalWatchdog final : public SignalSource {
 public:
  // Throws std::system_error when its pipes or its thread cannot be made.
  SignalWatchdog(std::unique_ptr<SignalSource> inner, std::chrono::milliseconds grace);
  ~SignalWatchdog() override;
  SignalWatchdog(const SignalWatchdog&) = delete;
  SignalWatchdog& operator=(const SignalWatchdog&) = delete;

  int fd() const override { return toLoop_.readEnd(); }
  void drain(const std::function<void(int)>& onSignal) override;

 private:
  void watch();

  std::unique_ptr<SignalSource> inner_;
  std::chrono::milliseconds grace_;
  SignalPipe toLoop_;
  SignalPipe stop_;  // written once, when this source goes
  // The last member: it starts at once and reads every member above, which
  // must exist by then and outlive it (the destructor joins it before they
  // go); and no member made after it may throw, since a std::thread still
  // running when it is destroyed ends the process (std::terminate).
  std::thread thread_;
};

}  // namespace quimbo

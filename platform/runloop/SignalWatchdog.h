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
// status the loop would have given: 128 plus the signal's number.
class SignalWatchdog final : public SignalSource {
 public:
  // Throws std::system_error when its pipes cannot be made.
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
  std::thread thread_;
};

}  // namespace quimbo

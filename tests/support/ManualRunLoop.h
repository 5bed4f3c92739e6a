#pragma once

#include <deque>

#include "monitor/RunLoop.h"
#include "platform/runloop/TimerQueue.h"

namespace quimbo {

// A run loop on a manual clock, for tests: time moves only when told, and
// posted tasks run when the loop is drained.
class ManualRunLoop final : public RunLoop {
 public:
  std::shared_ptr<Timer> scheduleRepeatingTimer(Duration interval, Action action) override;
  void post(Action task) override;

  std::size_t pendingTasks() const { return tasks_.size(); }
  // Runs posted tasks until none is left.
  void runPending();
  // Moves the clock forward, firing each timer at its due time and draining
  // the tasks after each firing.
  void advance(Duration by);
  // Moves the clock forward and fires the timers due, leaving their tasks
  // queued.
  void fireTimers(Duration by);

 private:
  TimerQueue timers_;
  std::deque<Action> tasks_;
  Duration now_{0};
};

}  // namespace quimbo

#include "tests/support/ManualRunLoop.h"

namespace quimbo {

std::shared_ptr<RunLoop::Timer> ManualRunLoop::scheduleRepeatingTimer(Duration interval,
                                                                      Action action) {
  return timers_.schedule(now_, interval, std::move(action));
}

void ManualRunLoop::post(Action task) { tasks_.push_back(std::move(task)); }

void ManualRunLoop::runPending() {
  while (!tasks_.empty()) {
    Action task = std::move(tasks_.front());
    tasks_.pop_front();
    task();
  }
}

void ManualRunLoop::advance(Duration by) {
  const Duration target = now_ + by;
  runPending();
  for (auto due = timers_.nextDue(); due && *due <= target; due = timers_.nextDue()) {
    now_ = *due;
    timers_.fireDue(now_);
    runPending();
  }
  now_ = target;
}

void ManualRunLoop::fireTimers(Duration by) {
  now_ += by;
  timers_.fireDue(now_);
}

}  // namespace quimbo

#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace quimbo {

// The run-loop port: the main thread's repeating timers and its queue of
// tasks (the main actor). Everything runs on the one main thread.
class RunLoop {
 public:
  using Duration = std::chrono::milliseconds;
  using Action = std::function<void()>;

  // A repeating timer. The run loop keeps every scheduled timer; a holder of
  // the handle keeps only a reference, and releasing it does not stop the
  // timer.
  class Timer final {
   public:
    Timer(Duration interval, Action action) : interval_(interval), action_(std::move(action)) {}
    Duration interval() const { return interval_; }
    void fire() const { action_(); }

   private:
    Duration interval_;
    Action action_;
  };

  virtual ~RunLoop() = default;

  // Schedules `action` every `interval`, first one interval from now.
  virtual std::shared_ptr<Timer> scheduleRepeatingTimer(Duration interval, Action action) = 0;
  // Runs `task` later on the main thread, after the current job has returned.
  virtual void post(Action task) = 0;
};

}  // namespace quimbo

#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "monitor/RunLoop.h"

namespace quimbo {

// The scheduled timers of a run loop and their next due times, measured as
// time since the loop's own start. Shared by every run-loop adapter.
class TimerQueue final {
 public:
  using Duration = RunLoop::Duration;

  std::shared_ptr<RunLoop::Timer> schedule(Duration now, Duration interval, RunLoop::Action action);
  std::optional<Duration> nextDue() const;
  // Fires every timer due at or before `now`, once each, in due order. Like a
  // platform timer, a late timer fires once and does not catch up on the
  // firings it missed.
  void fireDue(Duration now);

 private:
  struct Entry {
    std::shared_ptr<RunLoop::Timer> timer;
    Duration due;
  };
  std::vector<Entry> entries_;
};

}  // namespace quimbo

#pragma once

#include <QObject>
#include <vector>

#include "monitor/RunLoop.h"

namespace quimbo::desktop {

// The main thread's run loop under Qt: a repeating QTimer per timer, and
// posted tasks as queued calls that run once the current event is handled.
class QtRunLoop final : public RunLoop {
 public:
  QtRunLoop() = default;
  QtRunLoop(const QtRunLoop&) = delete;
  QtRunLoop& operator=(const QtRunLoop&) = delete;

  std::shared_ptr<Timer> scheduleRepeatingTimer(Duration interval, Action action) override;
  void post(Action task) override;

 private:
  QObject context_;  // owns the QTimers; posted tasks run in its thread
  std::vector<std::shared_ptr<Timer>> timers_;
};

}  // namespace quimbo::desktop

#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <vector>

#include "monitor/RunLoop.h"

namespace quimbo::desktop {

// The main thread's run loop under Qt: a repeating QTimer per timer, and
// posted tasks queued here and run together once the current event is
// handled, those they post too.
class QtRunLoop final : public RunLoop {
 public:
  QtRunLoop();
  QtRunLoop(const QtRunLoop&) = delete;
  QtRunLoop& operator=(const QtRunLoop&) = delete;

  std::shared_ptr<Timer> scheduleRepeatingTimer(Duration interval, Action action) override;
  void post(Action task) override;

 private:
  void runTasks();

  QObject context_;  // owns the QTimers
  std::vector<std::shared_ptr<Timer>> timers_;
  std::deque<Action> tasks_;
  // Runs the tasks: a timer of no interval, due at the loop's next turn,
  // which a posted event would have to wake with a write to the loop.
  QTimer due_;
};

}  // namespace quimbo::desktop

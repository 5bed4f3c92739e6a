#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "monitor/RunLoop.h"
#include "platform/runloop/SignalSource.h"
#include "platform/runloop/TimerQueue.h"

namespace quimbo {

// The main thread's loop for the terminal: one poll(2) over the watched file
// descriptors and a signal source, with the next timer deadline as its timeout.
// Posted tasks run after the job that posted them has returned; signals are
// delivered as events of the loop, never inside a handler.
class PollRunLoop final : public RunLoop {
 public:
  // The time since the loop was made.
  using Clock = std::function<Duration()>;

  PollRunLoop();
  // A loop that reads its time from `clock`, which tests move by hand.
  explicit PollRunLoop(Clock clock);
  PollRunLoop(const PollRunLoop&) = delete;
  PollRunLoop& operator=(const PollRunLoop&) = delete;

  std::shared_ptr<Timer> scheduleRepeatingTimer(Duration interval, Action action) override;
  void post(Action task) override;

  // Calls `onReadable` whenever `fd` has input, and `onHangUp` once, when
  // the other end has gone; the fd is not watched after that. `onReadable`
  // takes all the input pending: when the other end has gone, it is called
  // once more for what was left, and then `onHangUp`.
  void watch(int fd, Action onReadable, Action onHangUp);
  // Calls `onWritable` once, when `fd` takes output again, or has failed (a
  // write says which). A later call for the same fd replaces this one.
  void whenWritable(int fd, Action onWritable);
  // Takes the signals (SignalSource::make) and delivers each to `onSignal` from the loop. Throws
  // std::system_error when the signals cannot be taken.
  void handleSignals(std::initializer_list<int> signals, std::function<void(int)> onSignal);
  // The same with a source of the caller's.
  void handleSignals(std::unique_ptr<SignalSource> source, std::function<void(int)> onSignal);
  // Runs once the tasks are drained, before the loop waits again.
  void whenIdle(Action idle) { idle_ = std::move(idle); }

  // Runs until stop(); returns the status given to it.
  int run();
  void stop(int status);

 private:
  void runTasks();
  void readSignals();

  struct Watch {
    int fd;
    Action onReadable;
    Action onHangUp;
    bool open = true;
  };
  Clock elapsed_;
  TimerQueue timers_;
  std::deque<Action> tasks_;
  std::vector<Watch> watches_;
  std::vector<std::pair<int, Action>> writers_;
  Action idle_;
  std::unique_ptr<SignalSource> signals_;
  std::function<void(int)> onSignal_;
  bool stopped_ = false;
  int status_ = 0;
};

}  // namespace quimbo

#include "platform/runloop/TimerQueue.h"

#include <gtest/gtest.h>

namespace quimbo {
namespace {

using namespace std::chrono_literals;

// A timer late at `late` fires once, not once for each beat it missed, and
// keeps its beat; an interval of zero or less repeats every millisecond.
TEST(TimerQueue, ALateTimerFiresOnceAndKeepsItsBeat) {
  struct Case {
    RunLoop::Duration interval, due, late, next;
  };
  for (const Case c :
       {Case{2s, 2s, 10s + 500ms, 12s}, Case{0ms, 1ms, 3ms, 4ms}, Case{-5ms, 1ms, 3ms, 4ms}}) {
    TimerQueue timers;
    int fired = 0;
    const auto timer = timers.schedule(0ms, c.interval, [&] { ++fired; });
    EXPECT_EQ(timers.nextDue(), c.due) << c.interval.count();
    timers.fireDue(c.due - 1ms);
    timers.fireDue(c.late);
    EXPECT_EQ(fired, 1) << c.interval.count();
    EXPECT_EQ(timers.nextDue(), c.next) << c.interval.count();
  }
}

}  // namespace
}  // namespace quimbo

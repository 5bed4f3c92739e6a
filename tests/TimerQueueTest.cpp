#include "platform/runloop/TimerQueue.h"

#include <gtest/gtest.h>

namespace quimbo {
namespace {

using namespace std::chrono_literals;

TEST(TimerQueue, AnIntervalOfZeroOrLessRepeatsEveryMillisecond) {
  for (const RunLoop::Duration interval : {0ms, -5ms}) {
    TimerQueue timers;
    int fired = 0;
    const auto timer = timers.schedule(10ms, interval, [&] { ++fired; });
    EXPECT_EQ(timers.nextDue(), 11ms) << interval.count();
    timers.fireDue(13ms);
    EXPECT_EQ(fired, 1) << interval.count() << ": late, it fires once";
    EXPECT_EQ(timers.nextDue(), 14ms) << interval.count();
  }
}

}  // namespace
}  // namespace quimbo

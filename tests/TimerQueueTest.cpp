#include <gtest/gtest.h>

#include <vector>

#include "tests/support/ManualRunLoop.h"
#include "platform/runloop/TimerQueue.h"

namespace quimbo {
namespace {

using namespace std::chrono_literals;
using Duration = RunLoop::Duration;

TEST(TimerQueue, ATimerLateAfterAStallFiresOnceAndKeepsItsBeat) {
  TimerQueue queue;
  int ticks = 0;
  auto timer = queue.schedule(0s, 2s, [&] { ++ticks; });
  queue.fireDue(10s + 500ms);  // the process was stopped for ten seconds
  EXPECT_EQ(ticks, 1) << "one pass, not a burst of five";
  EXPECT_EQ(queue.nextDue(), Duration(12s)) << "the next one on the beat";
  queue.fireDue(12s - 1ms);
  EXPECT_EQ(ticks, 1);
  queue.fireDue(12s);
  EXPECT_EQ(ticks, 2);
}

TEST(ManualRunLoop, ATimerLateAfterAStallRunsOnePass) {
  ManualRunLoop loop;
  std::vector<Duration> passes;
  auto timer =
      loop.scheduleRepeatingTimer(2s, [&] { loop.post([&] { passes.push_back(loop.now()); }); });
  loop.fireTimers(10s);  // stopped for ten seconds, then the timers fire
  loop.runPending();
  loop.advance(2s);
  EXPECT_EQ(passes, (std::vector<Duration>{10s, 12s})) << "one pass after the stall, then the beat";
}

}  // namespace
}  // namespace quimbo

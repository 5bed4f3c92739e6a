#include <gtest/gtest.h>

#include <signal.h>

#include "platform/PollRunLoop.h"

namespace quimbo {
namespace {

using namespace std::chrono_literals;

TEST(PollRunLoop, TasksRunAfterTheJobThatPostedThemAndTimersRepeat) {
  PollRunLoop loop;
  std::string log;
  int ticks = 0;
  auto timer = loop.scheduleRepeatingTimer(1ms, [&] {
    log += 't';
    loop.post([&] { log += 'p'; });
    log += 'r';
    if (++ticks == 3) loop.stop(7);
  });
  EXPECT_EQ(loop.run(), 7);
  EXPECT_EQ(log, "trptrptr") << "each task after its tick returned; none after stop";
}

TEST(PollRunLoop, SignalsArriveAsEventsOfTheLoop) {
  PollRunLoop loop;
  int received = 0;
  loop.handleSignals({SIGUSR1}, [&](int signal) {
    received = signal;
    loop.stop(0);
  });
  loop.post([] { ::raise(SIGUSR1); });  // blocked: pending until the loop reads it
  EXPECT_EQ(loop.run(), 0);
  EXPECT_EQ(received, SIGUSR1);
}

}  // namespace
}  // namespace quimbo

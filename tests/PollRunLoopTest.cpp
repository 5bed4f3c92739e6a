#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <string>

#include "platform/runloop/PollRunLoop.h"

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

TEST(PollRunLoop, InputIsReadUntilTheOtherEndHangsUp) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  PollRunLoop loop;
  std::string read;
  int hangUps = 0;
  loop.watch(
      ends[0],
      [&] {
        char buffer[16];
        const ssize_t n = ::read(ends[0], buffer, sizeof buffer);
        if (n > 0) read.append(buffer, static_cast<std::size_t>(n));
      },
      [&] { ++hangUps; });
  ASSERT_EQ(::write(ends[1], "key", 3), 3);
  ::close(ends[1]);
  // Stops a little later: a loop spinning on the hung-up pipe would call
  // nothing more, but must not call the hang-up twice either.
  auto stop = loop.scheduleRepeatingTimer(20ms, [&] { loop.stop(0); });
  EXPECT_EQ(loop.run(), 0);
  EXPECT_EQ(read, "key");
  EXPECT_EQ(hangUps, 1);
  ::close(ends[0]);
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

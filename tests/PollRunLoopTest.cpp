#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

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

// The reading and writing ends of a pipe.
std::pair<int, int> pipeEnds() {
  int ends[2];
  if (::pipe(ends) != 0) return {-1, -1};
  return {ends[0], ends[1]};
}

// The terminal and the controlling end of a pseudo-terminal. A terminal whose
// other end closed stays readable, and its reads fail at once.
std::pair<int, int> pseudoTerminalEnds() {
  const int controller = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (controller < 0 || ::grantpt(controller) != 0 || ::unlockpt(controller) != 0) return {-1, -1};
  return {::open(::ptsname(controller), O_RDWR | O_NOCTTY), controller};
}

TEST(PollRunLoop, InputIsReadUntilTheOtherEndHangsUp) {
  struct Case {
    const char* name;
    std::pair<int, int> (*open)();
    const char* expected;  // what a reader gets before the end; a hung-up terminal drops it
  };
  const Case cases[] = {{"pipe", pipeEnds, "key"},
                        {"pseudo-terminal", pseudoTerminalEnds, nullptr}};
  for (const Case& c : cases) {
    const auto [in, out] = c.open();
    ASSERT_GE(in, 0) << c.name;
    ASSERT_GE(out, 0) << c.name;
    PollRunLoop loop;
    std::string read;
    int reads = 0, hangUps = 0;
    loop.watch(
        in,
        [&, in = in] {
          ++reads;
          char buffer[16];
          const ssize_t n = ::read(in, buffer, sizeof buffer);
          if (n > 0) read.append(buffer, static_cast<std::size_t>(n));
        },
        [&] { ++hangUps; });
    ASSERT_EQ(::write(out, "key", 3), 3);
    ::close(out);
    // Stops a little later: a loop spinning on the hung-up fd would read it
    // again and again, or call the hang-up twice.
    auto stop = loop.scheduleRepeatingTimer(20ms, [&] { loop.stop(0); });
    EXPECT_EQ(loop.run(), 0);
    if (c.expected) {
      EXPECT_EQ(read, c.expected) << c.name;
    }
    EXPECT_EQ(hangUps, 1) << c.name;
    EXPECT_LE(reads, 2) << c.name << ": the ended fd was polled again";
    ::close(in);
  }
}

TEST(PollRunLoop, NothingQueuedRunsOnceStopped) {
  PollRunLoop loop;
  std::string log;
  loop.post([&] {
    log += 'a';
    loop.stop(3);
    loop.post([&] { log += 'c'; });
  });
  loop.post([&] { log += 'b'; });
  EXPECT_EQ(loop.run(), 3);
  EXPECT_EQ(log, "a") << "ran a task queued before or after the stop";
}

TEST(PollRunLoop, ATimerLateAfterAStallFiresOnceAndKeepsItsBeat) {
  RunLoop::Duration now{0};
  PollRunLoop loop([&] { return now; });
  std::vector<RunLoop::Duration> ticks;
  auto timer = loop.scheduleRepeatingTimer(2s, [&] { ticks.push_back(now); });
  // The loop's clock at each wait: the process was stopped for ten seconds
  // before the first one; then a moment before the next beat, and on it.
  const std::vector<RunLoop::Duration> waits{10s + 500ms, 12s - 1ms, 12s};
  std::size_t wait = 0;
  loop.whenIdle([&] {
    if (wait == waits.size()) return loop.stop(0);
    now = waits[wait++];
  });
  EXPECT_EQ(loop.run(), 0);
  EXPECT_EQ(ticks, (std::vector<RunLoop::Duration>{10s + 500ms, 12s}))
      << "one pass after the stall, not a burst of five, and then on the beat";
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

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/desktop/SignalWatchdog.h"
#include "platform/runloop/PollRunLoop.h"
#include "platform/runloop/SelfPipe.h"
#include "tests/PseudoTerminal.h"
#ifdef QUIMBO_SIGNALFD
#include "platform/linux/SignalFd.h"
#endif

namespace quimbo {
namespace {

using namespace std::chrono_literals;

TEST(PollRunLoop, TasksRunAfterTheJobThatPostedThemTimersRepeatAndNothingRunsOnceStopped) {
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

  PollRunLoop stopping;
  log.clear();
  stopping.post([&] {
    log += 'a';
    stopping.stop(3);
    stopping.post([&] { log += 'c'; });
  });
  stopping.post([&] { log += 'b'; });
  EXPECT_EQ(stopping.run(), 3);
  EXPECT_EQ(log, "a") << "ran a task queued before or after the stop";
}

// The reading and writing ends of a pipe.
std::pair<int, int> pipeEnds() {
  int ends[2];
  if (::pipe(ends) != 0) return {-1, -1};
  return {ends[0], ends[1]};
}

TEST(PollRunLoop, InputIsReadUntilTheOtherEndHangsUp) {
  struct Case {
    const char* name;
    std::pair<int, int> (*open)();
    const char* expected;  // what a reader gets before the end; a hung-up terminal drops it
  };
  const Case cases[] = {{"pipe", pipeEnds, "key"},
                        {"pseudo-terminal", testing::pseudoTerminalEnds, nullptr}};
  for (const Case& c : cases) {
    const auto [in, out] = c.open();
    ASSERT_TRUE(in >= 0 && out >= 0) << c.name;
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

std::vector<std::string> sourceKinds() {
#ifdef QUIMBO_SIGNALFD
  return {"signalfd", "selfpipe"};
#else
  return {"selfpipe"};
#endif
}

// Each signal source this system has, tested alike.
class SignalSources : public ::testing::TestWithParam<std::string> {
 protected:
  std::unique_ptr<SignalSource> make(std::initializer_list<int> which) const {
#ifdef QUIMBO_SIGNALFD
    if (GetParam() == "signalfd") return std::make_unique<SignalFd>(which);
#endif
    return std::make_unique<SelfPipe>(which);
  }
};

TEST_P(SignalSources, SignalsArriveAsEventsOfTheLoopInOrder) {
  PollRunLoop loop;
  std::vector<int> received;
  loop.handleSignals(make({SIGUSR1, SIGUSR2}), [&](int signal) {
    received.push_back(signal);
    if (received.size() == 2) loop.stop(0);
  });
  loop.post([] {
    ::raise(SIGUSR1);
    std::thread([] { ::kill(::getpid(), SIGUSR2); }).join();  // as from outside
  });
  EXPECT_EQ(loop.run(), 0);
  EXPECT_EQ(received, (std::vector<int>{SIGUSR1, SIGUSR2}));
}

volatile sig_atomic_t counted = 0;
void count(int) { counted = counted + 1; }

TEST_P(SignalSources, WhatWasInForceBeforeComesBackAfter) {
  // Before: SIGUSR1 has a handler of the test's, SIGUSR2 is blocked.
  struct sigaction counting {};
  struct sigaction before {};
  counting.sa_handler = count;
  sigemptyset(&counting.sa_mask);
  ASSERT_EQ(::sigaction(SIGUSR1, &counting, &before), 0);
  sigset_t usr2, maskBefore;
  sigemptyset(&usr2);
  sigaddset(&usr2, SIGUSR2);
  ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &usr2, &maskBefore), 0);
  counted = 0;
  {
    const auto source = make({SIGUSR1, SIGUSR2});
    ::raise(SIGUSR1);
    ::raise(SIGUSR2);
    std::vector<int> drained;
    source->drain([&](int signal) { drained.push_back(signal); });
    EXPECT_EQ(drained, (std::vector<int>{SIGUSR1, SIGUSR2}));
    EXPECT_EQ(counted, 0) << "the earlier handler saw a signal the source had taken";
  }
  struct sigaction after {};
  ::sigaction(SIGUSR1, nullptr, &after);
  EXPECT_EQ(after.sa_handler, &count);
  sigset_t maskAfter;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &maskAfter);
  EXPECT_EQ(sigismember(&maskAfter, SIGUSR1), 0);
  EXPECT_EQ(sigismember(&maskAfter, SIGUSR2), 1) << "blocked before, blocked after";
  ::raise(SIGUSR1);
  EXPECT_EQ(counted, 1);

  ::pthread_sigmask(SIG_SETMASK, &maskBefore, nullptr);
  ::sigaction(SIGUSR1, &before, nullptr);
}

INSTANTIATE_TEST_SUITE_P(PollRunLoop, SignalSources, ::testing::ValuesIn(sourceKinds()),
                         [](const auto& info) { return info.param; });

TEST(SignalWatchdog, HandsSignalsOnAndEndsTheProcessWithTheirStatusWhenTheLoopDoesNot) {
  {
    PollRunLoop loop;
    loop.handleSignals(std::make_unique<SignalWatchdog>(SignalSource::make({SIGUSR1}), 1min),
                       [&](int signal) { loop.stop(signal); });
    // Sent to the process, as from outside: a thread reads no signal raised for another.
    loop.post([] { ::kill(::getpid(), SIGUSR1); });
    EXPECT_EQ(loop.run(), SIGUSR1);
  }  // its thread, which would take the signals below, ends here
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The last where its thread cannot poll (no open file allowed).
  const struct {
    int signal, status;
    bool noFiles;
  } cases[] = {
      {SIGINT, 130, false}, {SIGTERM, 143, false}, {SIGHUP, 129, false}, {SIGTERM, 143, true}};
  for (const auto& c : cases) {
    EXPECT_EXIT(
        {
          SignalWatchdog watchdog(SignalSource::make({c.signal}), 50ms);
          if (c.noFiles) {
            const rlimit none{};  // no descriptor at all
            ::setrlimit(RLIMIT_NOFILE, &none);
          }
          ::kill(::getpid(), c.signal);
          for (;;) ::pause();  // a loop stuck for good
        },
        ::testing::ExitedWithCode(c.status), "");
  }
}

// The lowest free descriptor: the same before and after means nothing leaked.
int nextFd() {
  const int fd = ::dup(STDIN_FILENO);
  ::close(fd);
  return fd;
}

TEST(SelfPipe, AFullPipeDropsSignalsInsteadOfBlockingTheHandler) {
  SelfPipe source({SIGUSR1});
  constexpr int kMany = 70000;  // more than a pipe holds (64 KiB on Linux and macOS)
  for (int i = 0; i < kMany; ++i) ::raise(SIGUSR1);
  int drained = 0;
  source.drain([&](int signal) { drained += signal == SIGUSR1; });
  EXPECT_GT(drained, 0);
  EXPECT_LT(drained, kMany);
}

TEST(SelfPipe, ASignalThatCannotBeCaughtIsRefusedAndNothingIsKept) {
  struct sigaction before {};
  ::sigaction(SIGUSR1, nullptr, &before);
  const int fd = nextFd();
  EXPECT_THROW(SelfPipe({SIGUSR1, SIGKILL}), std::system_error);
  EXPECT_THROW(SelfPipe({SIGUSR1, 0}), std::system_error);
  struct sigaction after {};
  ::sigaction(SIGUSR1, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
  EXPECT_EQ(nextFd(), fd) << "the pipe was not closed";
}

}  // namespace
}  // namespace quimbo

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/runloop/PollRunLoop.h"
#include "platform/runloop/SelfPipe.h"
#ifdef __linux__
#include "platform/linux/SignalFd.h"
#endif

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

// The signal sources this system has: each is tested alike.
struct SourceKind {
  const char* name;
  std::unique_ptr<SignalSource> (*make)(std::initializer_list<int>);
};

template <typename Source>
std::unique_ptr<SignalSource> make(std::initializer_list<int> which) {
  return std::make_unique<Source>(which);
}

std::vector<SourceKind> sourceKinds() {
  return {
#ifdef __linux__
      {"signalfd", make<SignalFd>},
#endif
      {"selfpipe", make<SelfPipe>},
  };
}

void PrintTo(const SourceKind& kind, std::ostream* out) { *out << kind.name; }

class SignalSources : public ::testing::TestWithParam<SourceKind> {};

TEST_P(SignalSources, SignalsArriveAsEventsOfTheLoopInOrder) {
  PollRunLoop loop;
  std::vector<int> received;
  loop.handleSignals(GetParam().make({SIGUSR1, SIGUSR2}), [&](int signal) {
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
    const auto source = GetParam().make({SIGUSR1, SIGUSR2});
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
                         [](const auto& info) { return std::string(info.param.name); });

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
  source.drain([&](int signal) {
    EXPECT_EQ(signal, SIGUSR1);
    ++drained;
  });
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

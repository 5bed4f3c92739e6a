#include "platform/desktop/SignalWatchdog.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>

namespace quimbo {

namespace {

using Clock = std::chrono::steady_clock;
// How long the thread waits before it looks again where poll itself fails.
constexpr std::chrono::milliseconds kRetry(10);

// Waits until one of `fds` may be readable, or until `deadline` passes.
// Where poll itself fails (the kernel short of memory, or a limit on open
// files lowered below their count), it waits a little instead of failing
// the thread, which would end the process without its status: every
// descriptor is read without blocking, so looking too early costs nothing.
void await(pollfd* fds, nfds_t count, Clock::time_point deadline) {
  for (;;) {
    int timeout = -1;
    if (deadline != Clock::time_point::max()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return;
      timeout = static_cast<int>(left.count());
    }
    if (::poll(fds, count, timeout) >= 0) return;
    if (errno != EINTR) {
      std::this_thread::sleep_for(
          timeout < 0 ? kRetry : std::min(kRetry, std::chrono::milliseconds(timeout)));
      return;
    }
  }
}

}  // namespace

SignalWatchdog::SignalWatchdog(std::unique_ptr<SignalSource> inner, std::chrono::milliseconds grace)
    : inner_(std::move(inner)), grace_(grace), thread_([this] { watch(); }) {}

SignalWatchdog::~SignalWatchdog() {
  stop_.send(0);
  thread_.join();
}

void SignalWatchdog::drain(const std::function<void(int)>& onSignal) { toLoop_.drain(onSignal); }

void SignalWatchdog::watch() {
  pollfd fds[] = {{stop_.readEnd(), POLLIN, 0}, {inner_->fd(), POLLIN, 0}};
  const auto stopped = [this] {
    bool stop = false;
    stop_.drain([&](int) { stop = true; });
    return stop;
  };
  int first = 0;
  while (first == 0) {
    await(fds, std::size(fds), Clock::time_point::max());
    if (stopped()) return;
    inner_->drain([&](int signal) {
      if (first == 0) first = signal;
      toLoop_.send(signal);
    });
  }
  // Later signals stay with the inner source: the loop has been told to end.
  const Clock::time_point deadline = Clock::now() + grace_;
  while (Clock::now() < deadline) {
    await(fds, 1, deadline);
    if (stopped()) return;
  }
  std::_Exit(128 + first);
}

}  // namespace quimbo

#include "platform/runloop/SignalWatchdog.h"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <system_error>

namespace quimbo {

namespace {

using Clock = std::chrono::steady_clock;

// Waits until one of `fds` is readable (true), or until `deadline` passes (false).
bool readable(pollfd* fds, nfds_t count, Clock::time_point deadline = Clock::time_point::max()) {
  for (;;) {
    int timeout = -1;
    if (deadline != Clock::time_point::max()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) return false;
      timeout = static_cast<int>(left.count());
    }
    const int ready = ::poll(fds, count, timeout);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) throw std::system_error(errno, std::generic_category(), "poll");
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
  int first = 0;
  while (first == 0) {
    readable(fds, std::size(fds));
    if (fds[0].revents != 0) return;
    inner_->drain([&](int signal) {
      if (first == 0) first = signal;
      toLoop_.send(signal);
    });
  }
  // Later signals stay with the inner source: the loop has been told to end.
  if (!readable(fds, 1, Clock::now() + grace_)) std::_Exit(128 + first);
}

}  // namespace quimbo

#include "platform/runloop/SelfPipe.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace quimbo {

namespace {

// Signal numbers are small everywhere (below 65 on Linux, 33 on macOS): one
// byte of the pipe carries each.
constexpr int kSignalLimit = 128;

// For each signal, the write end of the pipe its handler writes to, plus
// one: zero, as the table starts, means none. The handler reads it, so it
// must be lock-free to be async-signal-safe.
std::atomic<int> writeEndsPlusOne[kSignalLimit];
static_assert(std::atomic<int>::is_always_lock_free);

int writeEndOf(int signal) { return writeEndsPlusOne[signal].load() - 1; }
void setWriteEnd(int signal, int fd) { writeEndsPlusOne[signal].store(fd + 1); }

// Runs in whichever thread the signal interrupts: only async-signal-safe
// calls.
void writeSignal(int signal) {
  if (const int fd = writeEndOf(signal); fd >= 0) SignalPipe::send(fd, signal);
}

[[noreturn]] void fail(int fault, const std::string& what) {
  throw std::system_error(fault, std::generic_category(), what);
}

}  // namespace

SelfPipe::SelfPipe(std::initializer_list<int> which) {
  try {
    sigset_t mask;
    sigemptyset(&mask);
    for (const int signal : which) {
      take(signal);
      sigaddset(&mask, signal);
    }
    // pthread_sigmask reports its fault as its result, not in errno.
    if (const int fault = ::pthread_sigmask(SIG_UNBLOCK, &mask, &oldMask_); fault != 0) {
      fail(fault, "unblocking signals");
    }
    masked_ = true;
  } catch (...) {
    giveBack();
    throw;
  }
}

SelfPipe::~SelfPipe() { giveBack(); }

void SelfPipe::take(int signal) {
  if (signal <= 0 || signal >= kSignalLimit) fail(EINVAL, "signal " + std::to_string(signal));
  struct sigaction action {};
  action.sa_handler = writeSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted reads and writes elsewhere resume; the loop's poll wakes up
  // all the same, since the pipe is readable.
  action.sa_flags = SA_RESTART;
  Taken taken{signal, {}, writeEndOf(signal)};
  setWriteEnd(signal, pipe_.writeEnd());  // before the handler can run
  if (::sigaction(signal, &action, &taken.action) != 0) {
    const int fault = errno;
    setWriteEnd(signal, taken.writeEnd);
    fail(fault, "catching signal " + std::to_string(signal));
  }
  taken_.push_back(taken);
}

void SelfPipe::giveBack() {
  if (masked_) {
    // Only what this source unblocked is blocked again.
    sigset_t reblock;
    sigemptyset(&reblock);
    for (const Taken& t : taken_) {
      if (sigismember(&oldMask_, t.signal) == 1) sigaddset(&reblock, t.signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &reblock, nullptr);
  }
  // Latest first, so that a signal taken twice ends with its first action.
  // An action set since the signal was taken (to ignore it while the
  // program ends, say) stays.
  for (auto t = taken_.rbegin(); t != taken_.rend(); ++t) {
    struct sigaction current {};
    if (::sigaction(t->signal, nullptr, &current) == 0 && current.sa_handler == writeSignal) {
      ::sigaction(t->signal, &t->action, nullptr);
    }
    setWriteEnd(t->signal, t->writeEnd);
  }
  taken_.clear();
}

}  // namespace quimbo

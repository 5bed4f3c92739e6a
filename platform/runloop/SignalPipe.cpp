#include "platform/runloop/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quimbo {

SignalPipe::SignalPipe() {
  int ends[2];
  if (::pipe(ends) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  readEnd_.reset(ends[0]);
  writeEnd_.reset(ends[1]);
  for (const int end : ends) {  // no pipe2 on every system: one flag at a time
    if (::fcntl(end, F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(end, F_SETFL, O_NONBLOCK) != 0) {
      throw std::system_error(errno, std::generic_category(), "pipe flags");
    }
  }
}

void SignalPipe::send(int fd, int signal) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signal);
  // Not checked: a handler has no one to tell. The write fails only on a
  // full pipe, where the signal is dropped as said above.
  [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  errno = savedErrno;
}

void SignalPipe::drain(const std::function<void(int)>& onSignal) const {
  unsigned char signals[64];
  for (;;) {
    const ssize_t count = ::read(readEnd(), signals, sizeof signals);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;  // empty: the read end does not block
    for (ssize_t i = 0; i < count; ++i) onSignal(signals[i]);
  }
}

}  // namespace quimbo

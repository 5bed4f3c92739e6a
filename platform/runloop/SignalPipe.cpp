#include "platform/runloop/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quimbo {

SignalPipe::SignalPipe() {
  if (::pipe(ends_) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  for (const int end : ends_) {  // no pipe2 on every system: one flag at a time
    if (::fcntl(end, F_SETFD, FD_CLOEXEC) != 0 || ::fcntl(end, F_SETFL, O_NONBLOCK) != 0) {
      const int fault = errno;
      close();
      throw std::system_error(fault, std::generic_category(), "pipe flags");
    }
  }
}

SignalPipe::~SignalPipe() { close(); }

void SignalPipe::close() {
  for (int& end : ends_) {
    if (end >= 0) ::close(end);
    end = -1;
  }
}

void SignalPipe::send(int fd, int signal) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signal);
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

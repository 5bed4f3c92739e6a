#include "platform/linux/SignalFd.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace quimbo {

SignalFd::SignalFd(std::initializer_list<int> which) {
  sigset_t mask;
  sigemptyset(&mask);
  for (const int s : which) sigaddset(&mask, s);
  // pthread_sigmask reports its fault as its result, not in errno.
  if (const int fault = ::pthread_sigmask(SIG_BLOCK, &mask, &oldMask_); fault != 0) {
    throw std::system_error(fault, std::generic_category(), "blocking signals");
  }
  fd_.reset(::signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC));
  if (!fd_) {
    const int fault = errno;
    ::pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
    throw std::system_error(fault, std::generic_category(), "signalfd");
  }
}

SignalFd::~SignalFd() {
  fd_.reset();
  ::pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
}

void SignalFd::drain(const std::function<void(int)>& onSignal) {
  signalfd_siginfo info;
  while (::read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
    onSignal(static_cast<int>(info.ssi_signo));
  }
}

}  // namespace quimbo

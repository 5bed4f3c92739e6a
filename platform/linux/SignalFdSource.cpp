// The signal source of this build: a signalfd.

#include "platform/linux/SignalFd.h"

namespace quimbo {

std::unique_ptr<SignalSource> SignalSource::make(std::initializer_list<int> which) {
  return std::make_unique<SignalFd>(which);
}

}  // namespace quimbo

// The signal source of this build: a self-pipe.

#include "platform/runloop/SelfPipe.h"

namespace quimbo {

std::unique_ptr<SignalSource> SignalSource::make(std::initializer_list<int> which) {
  return std::make_unique<SelfPipe>(which);
}

}  // namespace quimbo

#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <utility>

namespace quimbo::testing {

// The terminal and the controlling end of a pseudo-terminal, or -1 for both.
// A terminal whose other end closed stays readable, and its reads fail at
// once.
inline std::pair<int, int> pseudoTerminalEnds() {
  const int controller = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (controller < 0 || ::grantpt(controller) != 0 || ::unlockpt(controller) != 0) return {-1, -1};
  return {::open(::ptsname(controller), O_RDWR | O_NOCTTY), controller};
}

}  // namespace quimbo::testing

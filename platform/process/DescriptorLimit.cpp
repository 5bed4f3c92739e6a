#include "platform/process/DescriptorLimit.h"

#include <sys/resource.h>

#include <algorithm>
#include <climits>

namespace quimbo {

void raiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  rlim_t wanted = limit.rlim_max;
#ifdef OPEN_MAX
  // macOS refuses a soft limit above OPEN_MAX, whatever the hard limit.
  wanted = std::min<rlim_t>(wanted, OPEN_MAX);
#endif
  if (wanted <= limit.rlim_cur) return;
  limit.rlim_cur = wanted;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace quimbo

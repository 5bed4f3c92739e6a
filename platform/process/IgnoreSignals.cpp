#include "platform/process/IgnoreSignals.h"

#include <signal.h>

namespace quimbo {

void ignoreSignals(std::initializer_list<int> signals) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  // A pending signal set to be ignored is discarded, blocked or not.
  for (const int signal : signals) ::sigaction(signal, &ignore, nullptr);
}

}  // namespace quimbo

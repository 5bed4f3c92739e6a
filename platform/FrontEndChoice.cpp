#include "platform/FrontEndChoice.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace quimbo {

bool terminalAvailable() { return ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO); }

bool terminalMayStandIn() {
  const char* frontEnd = std::getenv("QUIMBO_FRONTEND");
  const bool desktopAsked = frontEnd != nullptr && std::string_view(frontEnd) == "desktop";
  return !desktopAsked && terminalAvailable();
}

}  // namespace quimbo

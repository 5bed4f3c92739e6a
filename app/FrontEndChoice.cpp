#include "app/FrontEndChoice.h"

#include <unistd.h>

#include "platform/process/Environment.h"

namespace quimbo {

bool terminalAvailable() { return ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO); }

std::optional<std::string> namedFrontEnd() { return environmentValue("QUIMBO_FRONTEND"); }

FrontEndChoice chooseFrontEnd(const std::optional<std::string>& named, bool displayAvailable) {
  const bool desktopAsked = named == "desktop";
  return {named ? desktopAsked : displayAvailable, !desktopAsked && terminalAvailable()};
}

}  // namespace quimbo

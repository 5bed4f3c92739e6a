#pragma once

#include <optional>
#include <string>

namespace quimbo {

// Which front end runs: the one QUIMBO_FRONTEND names, or else the desktop
// where a display is available and the terminal where none is.
struct FrontEndChoice {
  bool desktop = false;
  // Whether the terminal front end stands in where the desktop cannot be
  // used: when there is a terminal, and the desktop was not asked for by
  // name.
  bool terminalMayStandIn = false;
};

// Whether standard input and output are a terminal the terminal front end
// can run on.
bool terminalAvailable();

// What QUIMBO_FRONTEND says, as it is written; nothing when it is not set
// or empty. Only "terminal" and "desktop" name a front end.
[[nodiscard]] std::optional<std::string> namedFrontEnd();

// The choice for a name main has checked, on a system that has a display or not.
[[nodiscard]] FrontEndChoice chooseFrontEnd(const std::optional<std::string>& named,
                                            bool displayAvailable);

}  // namespace quimbo

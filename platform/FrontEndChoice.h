#pragma once

namespace quimbo {

// Whether standard input and output are a terminal the terminal front end
// can run on.
bool terminalAvailable();

// Whether the terminal front end stands in where the desktop cannot be used:
// when there is a terminal, and the desktop was not asked for by name
// (QUIMBO_FRONTEND=desktop).
bool terminalMayStandIn();

}  // namespace quimbo

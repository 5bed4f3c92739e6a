#pragma once

namespace quimbo {

// Raises the soft limit on open file descriptors to the hard limit: a
// machine with a thousand sensors keeps as many attribute files open.
void raiseDescriptorLimit();

}  // namespace quimbo

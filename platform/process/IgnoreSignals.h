#pragma once

#include <initializer_list>

namespace quimbo {

// Ignores the signals `numbers` from now on, pending ones included, for as long as the
// process lives: for a program that ends once it knows its status. A signal
// source gives its signals back as it goes, to their default action, which
// would end the process anew (with another status) for any signal that
// came after the loop read the first one, or that comes while it ends.
void ignoreSignals(std::initializer_list<int> numbers);

}  // namespace quimbo

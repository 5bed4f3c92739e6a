#pragma once

#include <optional>

#include "platform/Failure.h"

namespace quimbo {

// Runs task(argument) in each thread of the process but the caller, in that
// thread, and returns once each has: for what the kernel applies to the
// calling thread alone (Landlock, PR_SET_NO_NEW_PRIVS) where threads are
// already running, as Qt's and GDBus's are. It runs from a signal handler,
// so `task` must be async-signal-safe; it returns 0 or an errno value.
// Threads started meanwhile are reached too. Nothing when every thread ran
// it and it returned 0; otherwise why not. A thread that blocks the signal
// cannot be reached: that is told before the threads found with it are
// asked.
[[nodiscard]] std::optional<Failure> inEveryOtherThread(int (*task)(int), int argument);

}  // namespace quimbo

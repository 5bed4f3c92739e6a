#pragma once

#include <optional>

#include "platform/Failure.h"
#include "platform/process/Rights.h"

namespace quimbo::landlock {

// Confines every thread of the process to `rights` with Landlock, at the
// best ABI the kernel offers, after PR_SET_NO_NEW_PRIVS: from then on no
// program it executes could gain privileges either. What an older ABI cannot
// refuse (truncation before ABI 3, TCP before 4, device ioctls before 5,
// abstract sockets and signals before 6) stays allowed. Nothing when the
// process is confined; otherwise why not, and the process is as it was.
// Once confined, a process cannot be freed again: this is called once.
[[nodiscard]] std::optional<Failure> confine(const Rights& rights);

}  // namespace quimbo::landlock

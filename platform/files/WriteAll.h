#pragma once

#include <string_view>

namespace quimbo {

// Writes all of `bytes` to `fd`, however many writes that takes and however
// often a signal interrupts one. False, with errno, when a write fails.
[[nodiscard]] bool writeAll(int fd, std::string_view bytes);

}  // namespace quimbo

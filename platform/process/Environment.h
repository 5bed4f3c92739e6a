#pragma once

#include <optional>
#include <string>

namespace quimbo {

// The value of the environment variable `name` when it is set and not
// empty; nothing otherwise. An empty value counts as none, as a shell's
// `NAME= program` means.
[[nodiscard]] std::optional<std::string> environmentValue(const char* name);

}  // namespace quimbo

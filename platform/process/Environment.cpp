#include "platform/process/Environment.h"

#include <cstdlib>

namespace quimbo {

std::optional<std::string> environmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

}  // namespace quimbo

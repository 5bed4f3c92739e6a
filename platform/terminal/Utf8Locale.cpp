#include "platform/terminal/Utf8Locale.h"

namespace quimbo::terminal {

std::optional<std::string_view> takeUtf8Locale(const std::function<bool(const char*)>& take) {
  for (const char* name : {"", "C.UTF-8", "UTF-8", "en_US.UTF-8"}) {
    if (take(name)) return name;
  }
  return std::nullopt;
}

}  // namespace quimbo::terminal

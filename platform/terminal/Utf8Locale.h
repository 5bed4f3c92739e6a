#pragma once

#include <functional>
#include <optional>
#include <string_view>

namespace quimbo::terminal {

// The character set the terminal's texts are written in is UTF-8: the
// user's own locale where it is a UTF-8 one, otherwise the first UTF-8
// locale the system has. Systems name them differently: C.UTF-8 on Linux
// and the BSDs; no C.UTF-8 on macOS, where one forwarded over SSH from Linux
// is no locale at all, but UTF-8 (the character set alone) and en_US.UTF-8.
// `take` tries a locale's name ("" for the user's own) and says whether it
// is now in force and UTF-8. Returns the name taken, or nothing when the
// system has none of them.
std::optional<std::string_view> takeUtf8Locale(const std::function<bool(const char*)>& take);

}  // namespace quimbo::terminal

#include "platform/linux/desktop/DisplayPlatform.h"

#include <cstdlib>

#include "platform/desktop/MenuBarItem.h"

namespace quimbo::desktop {

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

void prepareDisplay() {
  if (const auto platform = qtPlatformFor(displaySession())) {
    ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
  }
}

std::optional<std::string> qtPlatformFor(const DisplaySession& session) {
  if (session.userChose) return std::nullopt;
  if (session.x11) return "xcb";
  if (session.wayland) return "wayland";
  return std::nullopt;
}

DisplaySession displaySession() {
  return {isSet("DISPLAY"), isSet("WAYLAND_DISPLAY"), isSet("QT_QPA_PLATFORM")};
}

}  // namespace quimbo::desktop

#include "platform/linux/desktop/DisplayPlatform.h"

#include <cstdlib>

#include "platform/desktop/MenuBarItem.h"

namespace quimbo::desktop {

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

}  // namespace quimbo::desktop

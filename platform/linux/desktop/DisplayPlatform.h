#pragma once

#include <optional>
#include <string>

#include "platform/linux/DisplaySession.h"

namespace quimbo::desktop {

// The Qt platform to run on, or none to leave Qt's choice. X11 wherever
// DISPLAY is set, XWayland in a Wayland session: there the panel opens where
// its item is, which a Wayland client cannot ask for (a window of its own is
// placed by the compositor, and a pop-up needs a parent window of its own,
// which an item drawn by another program's tray is not). Wayland alone runs
// natively: the strip and the panel are windows the compositor places.
std::optional<std::string> qtPlatformFor(const DisplaySession& session);

}  // namespace quimbo::desktop

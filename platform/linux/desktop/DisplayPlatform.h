#pragma once

#include <optional>
#include <string>

namespace quimbo::desktop {

// What the session offers the desktop front end.
struct DisplaySession {
  bool x11 = false;        // DISPLAY is set (an X server, or XWayland)
  bool wayland = false;    // WAYLAND_DISPLAY is set
  bool userChose = false;  // QT_QPA_PLATFORM is set: the user's choice holds
};

// The Qt platform to run on, or none to leave Qt's choice. X11 wherever
// DISPLAY is set, XWayland in a Wayland session: there the panel opens where
// its item is, which a Wayland client cannot ask for (a window of its own is
// placed by the compositor, and a pop-up needs a parent window of its own,
// which an item drawn by another program's tray is not). Wayland alone runs
// natively: the strip and the panel are windows the compositor places.
std::optional<std::string> qtPlatformFor(const DisplaySession& session);

// This process's session, from the environment.
DisplaySession displaySession();

}  // namespace quimbo::desktop

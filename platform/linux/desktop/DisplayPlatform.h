#pragma once

#include <functional>
#include <optional>
#include <string>

namespace quimbo::desktop {

// What the session offers the desktop front end.
struct DisplaySession {
  bool x11 = false;        // DISPLAY is set (an X server, or XWayland)
  bool wayland = false;    // WAYLAND_DISPLAY is set
  bool userChose = false;  // QT_QPA_PLATFORM is set: the user's choice holds
};

// The Qt platform to run on, or none to leave Qt's choice. On Wayland a
// client cannot place its own windows, so:
// - a tray hosted over D-Bus is used natively ("wayland"): the item is in
//   the tray, the panel a window that the compositor places;
// - without one, XWayland ("xcb") where DISPLAY is also set: the strip at the
//   top right and the panel below it, as on X11;
// - Wayland alone: natively, the strip a window that the compositor places,
//   the panel a pop-up under it.
// `trayOverDBus` is asked only when the answer depends on it.
std::optional<std::string> qtPlatformFor(const DisplaySession& session,
                                         const std::function<bool()>& trayOverDBus);

// This process's session, from the environment.
DisplaySession displaySession();

// Whether a StatusNotifierWatcher runs on the session bus; asked before Qt
// starts, so through libdbus.
bool statusNotifierWatcherRuns();

}  // namespace quimbo::desktop

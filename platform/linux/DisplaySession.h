#pragma once

namespace quimbo {

// What the session offers a desktop front end, as its environment says.
struct DisplaySession {
  bool x11 = false;        // DISPLAY is set (an X server, or XWayland)
  bool wayland = false;    // WAYLAND_DISPLAY is set
  bool userChose = false;  // QT_QPA_PLATFORM is set: the user's choice holds

  // Whether there is a display to show a desktop on.
  bool any() const { return x11 || wayland; }
};

// This process's session, from the environment: a variable that is set and
// not empty.
[[nodiscard]] DisplaySession displaySession();

}  // namespace quimbo

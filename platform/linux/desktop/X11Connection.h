#pragma once

#include <xcb/xcb.h>

#include <utility>

namespace quimbo::desktop {

// Qt's connection to the X server; null off X11.
xcb_connection_t* x11Connection();

// The root window of the display's default screen, and that screen's number.
std::pair<xcb_window_t, int> defaultRoot(xcb_connection_t* c);

}  // namespace quimbo::desktop

#include "platform/linux/desktop/X11Connection.h"

#include <QGuiApplication>
#include <cstdlib>

namespace quimbo::desktop {

xcb_connection_t* x11Connection() {
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

std::pair<xcb_window_t, int> defaultRoot(xcb_connection_t* c) {
  int display = 0;
  int screen = 0;
  if (char* host = nullptr; xcb_parse_display(nullptr, &host, &display, &screen)) std::free(host);
  auto roots = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screen && roots.rem > 1; ++i) xcb_screen_next(&roots);
  return {roots.data->root, screen};
}

}  // namespace quimbo::desktop

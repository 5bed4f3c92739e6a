#include "platform/desktop/XWayland.h"

#include <QGuiApplication>

namespace quimbo::desktop {

bool onXWayland() {
  return QGuiApplication::platformName() == QLatin1String("xcb") &&
         qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace quimbo::desktop

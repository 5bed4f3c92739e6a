#include "platform/desktop/XWayland.h"

#include <QGuiApplication>

#include "platform/process/Environment.h"

namespace quimbo::desktop {

bool onXWayland() {
  return QGuiApplication::platformName() == QLatin1String("xcb") &&
         environmentValue("WAYLAND_DISPLAY").has_value();
}

}  // namespace quimbo::desktop

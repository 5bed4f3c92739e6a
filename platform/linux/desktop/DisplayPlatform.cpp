#include "platform/linux/desktop/DisplayPlatform.h"

#include "platform/desktop/MenuBarItem.h"

#include <dbus/dbus.h>

#include <cstdlib>
#include <memory>

namespace quimbo::desktop {

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

struct ClosedConnection {
  void operator()(DBusConnection* bus) const {
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
  }
};

}  // namespace

void prepareDisplay() {
  if (const auto platform = qtPlatformFor(displaySession(), statusNotifierWatcherRuns)) {
    ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
  }
}

std::optional<std::string> qtPlatformFor(const DisplaySession& session,
                                         const std::function<bool()>& trayOverDBus) {
  if (session.userChose) return std::nullopt;
  if (!session.wayland) return session.x11 ? std::optional<std::string>("xcb") : std::nullopt;
  if (session.x11 && !trayOverDBus()) return "xcb";
  return "wayland";
}

DisplaySession displaySession() {
  return {isSet("DISPLAY"), isSet("WAYLAND_DISPLAY"), isSet("QT_QPA_PLATFORM")};
}

bool statusNotifierWatcherRuns() {
  // Without an address libdbus would try to launch a bus of its own.
  if (!isSet("DBUS_SESSION_BUS_ADDRESS")) return false;
  DBusError error;
  dbus_error_init(&error);
  const std::unique_ptr<DBusConnection, ClosedConnection> bus(
      dbus_bus_get_private(DBUS_BUS_SESSION, &error));
  bool runs = false;
  if (bus) {
    dbus_connection_set_exit_on_disconnect(bus.get(), false);
    runs = dbus_bus_name_has_owner(bus.get(), "org.kde.StatusNotifierWatcher", &error);
  }
  dbus_error_free(&error);
  return runs;
}

}  // namespace quimbo::desktop

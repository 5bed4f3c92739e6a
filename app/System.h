#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/ServiceManager.h"
#include "platform/Failure.h"
#include "platform/desktop/DesktopModule.h"
#include "platform/process/Diagnostics.h"
#include "platform/process/Rights.h"
#include "smc/UserClient.h"

// What the system Quimbo runs on provides: its SMC user client, its service
// manager, its desktop. Each system defines these in its own folder
// (app/LinuxSystem.cpp, app/MacSystem.cpp).
namespace quimbo::System {

// The machine's own SMC user client: IOKit's AppleSMC on macOS; on Linux
// the hwmon bridge over /sys/class/hwmon, or the folder in QUIMBO_HWMON_ROOT,
// which tells `diagnostics` of sensors it cannot read.
[[nodiscard]] std::unique_ptr<UserClient> smcUserClient(Diagnostics& diagnostics);

// What the machine's own SMC user client reads as it runs: on Linux the
// hwmon tree and the device folders it leads to, where chips come and go;
// nothing on macOS, where IOKit is no file.
[[nodiscard]] Rights sensorRights();

// Confines the process to `rights` for the rest of its life. On Linux with
// Landlock, locale data readable besides; on macOS nothing is done at run
// time: the App Sandbox is given at signing. Nothing when it is confined;
// otherwise why not, and it runs as before.
[[nodiscard]] std::optional<Failure> confine(Rights rights);

// Launch daemons: SMAppService on macOS; a stand-in with none on Linux.
[[nodiscard]] std::unique_ptr<ServiceManager> serviceManager();

// Whether there is a desktop to show the item on: on macOS a session of the
// window server (none over SSH); on Linux a display (DISPLAY or
// WAYLAND_DISPLAY).
bool displayAvailable();

// Whether `argument` is one the system's launcher adds on its own, which the
// program passes over: on macOS the process serial number ("-psn_0_1234")
// of a first launch from a downloaded application; none on Linux.
bool launcherArgument(std::string_view argument);

// The desktop front end's entry, or why it cannot be had: linked into the
// application on macOS, a module beside the program on Linux.
[[nodiscard]] Result<QuimboRunDesktop> desktop();

}  // namespace quimbo::System

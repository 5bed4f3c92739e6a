#include <cstdlib>

#include "platform/Bundle.h"
#include "platform/System.h"
#include "platform/linux/DesktopModuleLoader.h"
#include "platform/linux/LinuxServiceManager.h"
#include "platform/linux/hwmon/HwmonSmc.h"

namespace quimbo::System {

namespace {

constexpr const char* kHwmonRoot = "/sys/class/hwmon";

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::unique_ptr<UserClient> smcUserClient(Diagnostics& diagnostics) {
  const char* root = std::getenv("QUIMBO_HWMON_ROOT");
  return std::make_unique<HwmonSmc>(root != nullptr && *root != '\0' ? root : kHwmonRoot,
                                    diagnostics);
}

std::unique_ptr<ServiceManager> serviceManager() { return std::make_unique<LinuxServiceManager>(); }

bool displayAvailable() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"); }

bool launcherArgument(std::string_view) { return false; }

Desktop desktop() { return loadDesktopModule(Bundle::main()); }

}  // namespace quimbo::System

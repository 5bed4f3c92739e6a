// Linux stand-ins for what MacSystem.cpp takes from macOS beside IOKit, for
// the Mac's configuration built on Linux (cmake/MacOnLinux.cmake): the
// window server has no session here, and ServiceManagement no daemons.

#include <CoreGraphics/CoreGraphics.h>

#include "platform/linux/LinuxServiceManager.h"
#include "platform/macos/SMAppServiceManager.h"

extern "C" CFDictionaryRef CGSessionCopyCurrentDictionary(void) { return nullptr; }

namespace quimbo {

std::unique_ptr<ServiceManager::DaemonService> SMAppServiceManager::daemonService(
    std::string_view plistName) {
  return LinuxServiceManager().daemonService(plistName);
}

}  // namespace quimbo

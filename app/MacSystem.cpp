#include <CoreGraphics/CoreGraphics.h>

#include "app/System.h"
#include "platform/macos/IOKitUserClient.h"
#include "platform/macos/SMAppServiceManager.h"

namespace quimbo::System {

std::unique_ptr<UserClient> smcUserClient(Diagnostics&) {
  return std::make_unique<IOKitUserClient>();
}

Rights sensorRights() { return {}; }

// The App Sandbox is an entitlement the signature carries, not a call: see
// docs/macos.md for what it would take for the SMC's user client.
std::optional<Failure> confine(Rights) { return std::nullopt; }

std::unique_ptr<ServiceManager> serviceManager() { return std::make_unique<SMAppServiceManager>(); }

// The window server describes the GUI session the process belongs to, and
// has nothing to say to one outside it (a login over SSH).
bool displayAvailable() {
  const CFDictionaryRef session = CGSessionCopyCurrentDictionary();
  if (session == nullptr) return false;
  CFRelease(session);
  return true;
}

bool launcherArgument(std::string_view argument) { return argument.starts_with("-psn_"); }

// System::desktop() is in LinkedDesktop.cpp, linked with the front end: a
// program that links this file without the front end, quimbo-exporter, has
// no Qt.

}  // namespace quimbo::System

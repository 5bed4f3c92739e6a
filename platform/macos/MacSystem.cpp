#include "platform/System.h"
#include "platform/macos/IOKitUserClient.h"
#include "platform/macos/SMAppServiceManager.h"

namespace quimbo::System {

std::unique_ptr<UserClient> smcUserClient() { return std::make_unique<IOKitUserClient>(); }

std::unique_ptr<ServiceManager> serviceManager() { return std::make_unique<SMAppServiceManager>(); }

// The window server is there for every application.
bool displayAvailable() { return true; }

// Linked into the application: on a Mac it is what the application is for.
Desktop desktop() { return {quimbo_run_desktop, {}}; }

}  // namespace quimbo::System

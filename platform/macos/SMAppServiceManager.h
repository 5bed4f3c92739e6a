#pragma once

#include <string>

#include "monitor/ServiceManager.h"

namespace quimbo {

// Launch daemons of this application through ServiceManagement's
// SMAppService (macOS 13 and later).
class SMAppServiceManager final : public ServiceManager {
 public:
  // `serviceClass` names the Objective-C class whose
  // +daemonServiceWithPlistName: gives the daemons: SMAppService, or a
  // stand-in that keeps a test away from the system's daemon registry.
  explicit SMAppServiceManager(std::string serviceClass = "SMAppService")
      : serviceClass_(std::move(serviceClass)) {}
  std::unique_ptr<DaemonService> daemonService(std::string_view plistName) override;

 private:
  std::string serviceClass_;
};

}  // namespace quimbo

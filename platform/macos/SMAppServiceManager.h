#pragma once

#include "monitor/ServiceManager.h"

namespace quimbo {

// Launch daemons of this application through ServiceManagement's
// SMAppService (macOS 13 and later).
class SMAppServiceManager final : public ServiceManager {
 public:
  std::unique_ptr<DaemonService> daemonService(std::string_view plistName) override;
};

}  // namespace quimbo

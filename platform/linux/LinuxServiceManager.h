#pragma once

#include "monitor/ServiceManager.h"

namespace quimbo {

// Linux has no launch daemons of ours: unregistering always finds none.
class LinuxServiceManager final : public ServiceManager {
 public:
  std::unique_ptr<DaemonService> daemonService(std::string_view plistName) override;
};

}  // namespace quimbo

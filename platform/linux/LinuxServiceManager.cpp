#include "platform/linux/LinuxServiceManager.h"

#include <string>

namespace quimbo {

namespace {

class UnregisteredDaemon final : public ServiceManager::DaemonService {
 public:
  explicit UnregisteredDaemon(std::string_view plistName) : plistName_(plistName) {}
  std::optional<ServiceManager::Error> unregister() override {
    return ServiceManager::Error{"no launch daemon " + plistName_ + " is registered"};
  }

 private:
  std::string plistName_;
};

}  // namespace

std::unique_ptr<ServiceManager::DaemonService> LinuxServiceManager::daemonService(
    std::string_view plistName) {
  return std::make_unique<UnregisteredDaemon>(plistName);
}

}  // namespace quimbo

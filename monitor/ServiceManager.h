#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quimbo {

// The service-manager port: launch daemons of this application, by the name
// of their property list.
class ServiceManager {
 public:
  struct Error {
    std::string message;
  };

  class DaemonService {
   public:
    virtual ~DaemonService() = default;
    // Synchronous; nothing on success, the error otherwise.
    virtual std::optional<Error> unregister() = 0;
  };

  virtual ~ServiceManager() = default;
  virtual std::unique_ptr<DaemonService> daemonService(std::string_view plistName) = 0;
};

}  // namespace quimbo

#pragma once

#include <memory>
#include <string>
#include <vector>

#include "monitor/Monitor.h"
#include "platform/simulated/MachineFile.h"
#include "tests/support/ManualRunLoop.h"
#include "platform/simulated/SimulatedSmc.h"
#include "tests/RecordingUserClient.h"

namespace quimbo::testing {

// A service manager that keeps the names it was asked to unregister and
// answers with an error, as when no daemon was ever registered.
class RecordingServiceManager final : public ServiceManager {
 public:
  std::vector<std::string> unregistered;

  std::unique_ptr<DaemonService> daemonService(std::string_view plistName) override {
    return std::make_unique<Daemon>(*this, std::string(plistName));
  }

 private:
  struct Daemon final : DaemonService {
    Daemon(RecordingServiceManager& owner, std::string name)
        : owner(owner), name(std::move(name)) {}
    std::optional<Error> unregister() override {
      owner.unregistered.push_back(name);
      return Error{"not registered"};
    }
    RecordingServiceManager& owner;
    std::string name;
  };
};

// What an adapter reported, in order.
struct Reports final : Diagnostics {
  std::vector<std::string> lines;
  void report(const std::string& message) override { lines.push_back(message); }
};

// A Monitor over a simulated machine, a manual clock and a recording
// service manager.
struct MonitorHarness {
  explicit MonitorHarness(const std::string& machineText)
      : smc(MachineFile::parse(machineText, "test")) {}

  std::shared_ptr<Monitor> make() { return Monitor::make({smc, services, runLoop}); }

  SimulatedSmc smc;
  RecordingServiceManager services;
  ManualRunLoop runLoop;
};

// A Monitor on a machine without an SMC: the lookup finds no service.
struct NoSmcHarness {
  NoSmcHarness() { smc.service = 0; }
  std::shared_ptr<Monitor> make() { return Monitor::make({smc, services, runLoop}); }

  RecordingUserClient smc;
  RecordingServiceManager services;
  ManualRunLoop runLoop;
};

}  // namespace quimbo::testing

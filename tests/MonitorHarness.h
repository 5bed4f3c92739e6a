#pragma once

#include <memory>
#include <string>
#include <vector>

#include "monitor/Monitor.h"
#include "monitor/WholeNumber.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/SimulatedSmc.h"
#include "platform/userclient/AbsentSmc.h"
#include "tests/support/ManualRunLoop.h"

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

// What the Monitor publishes, in whole numbers: "cpu/gpu/ssd/ambient max
// M | rpm/min/max ..." a fan each; "unavailable" without the SMC.
inline std::string published(const Monitor& mon) {
  if (!mon.available()) return "unavailable";
  const auto whole = [](double v) { return std::to_string(wholeNumber(v)); };
  const TempSummary s = mon.summary();
  std::string text = whole(s.cpu) + "/" + whole(s.gpu) + "/" + whole(s.ssd) + "/" +
                     whole(s.ambient) + " max " + whole(mon.maxTemp()) + " |";
  for (const FanReading& f : mon.fans()) {
    text += " " + whole(f.rpm) + "/" + whole(f.min) + "/" + whole(f.max);
  }
  return text;
}

// A machine of `fans` fans at 1500 rpm and 100 more per index, between 1000
// and 5000, and a CPU at 61.5 °C. Fans 10 and on have the four-character
// keys the SMC holds: 10Ac, 10Mn, ...
inline std::string fansMachine(int fans) {
  std::string text = "FNum \"ui8 \" = " + std::to_string(fans) + "\nTp01 \"flt \" = 61.5\n";
  for (int i = 0; i < fans; ++i) {
    const std::string key = i < 10 ? "F" + std::to_string(i) : std::to_string(i);
    text += key + "Ac \"flt \" = " + std::to_string(1500 + 100 * i) + "\n" + key +
            "Mn \"flt \" = 1000\n" + key + "Mx \"flt \" = 5000\n";
  }
  return text;
}

// A Monitor on a machine without an SMC: the lookup finds no service.
struct NoSmcHarness {
  std::shared_ptr<Monitor> make() { return Monitor::make({smc, services, runLoop}); }

  AbsentSmc smc;
  RecordingServiceManager services;
  ManualRunLoop runLoop;
};

}  // namespace quimbo::testing

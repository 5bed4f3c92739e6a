#include "app/SmcChoice.h"

#include <optional>
#include <string>

#include "app/System.h"
#include "platform/process/Environment.h"
#include "platform/simulated/SimulatedSmc.h"

namespace quimbo {

std::unique_ptr<UserClient> chosenSmcUserClient(Diagnostics& diagnostics) {
  if (const auto machine = environmentValue("QUIMBO_SMC_SIM")) {
    std::optional<TraceFile> trace;
    if (const auto path = environmentValue("QUIMBO_SMC_TRACE")) trace.emplace(*path, diagnostics);
    return std::make_unique<SimulatedSmc>(
        SimulatedSmc::watching(*machine, diagnostics, std::move(trace)));
  }
  return System::smcUserClient(diagnostics);
}

Rights chosenSmcRights() {
  const auto machine = environmentValue("QUIMBO_SMC_SIM");
  if (!machine) return System::sensorRights();
  // Its folder as named, and where a link there leads.
  std::error_code error;
  const std::filesystem::path named = std::filesystem::absolute(*machine, error);
  return Rights::reading(
      {named.parent_path(), std::filesystem::weakly_canonical(named, error).parent_path()});
}

}  // namespace quimbo

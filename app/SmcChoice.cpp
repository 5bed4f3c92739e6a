#include "app/SmcChoice.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "app/System.h"
#include "platform/simulated/SimulatedSmc.h"

namespace quimbo {

namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

}  // namespace

std::unique_ptr<UserClient> chosenSmcUserClient(Diagnostics& diagnostics) {
  if (const auto machine = environment("QUIMBO_SMC_SIM")) {
    std::optional<TraceFile> trace;
    if (const auto path = environment("QUIMBO_SMC_TRACE")) trace.emplace(*path, diagnostics);
    return std::make_unique<SimulatedSmc>(
        SimulatedSmc::watching(*machine, diagnostics, std::move(trace)));
  }
  return System::smcUserClient(diagnostics);
}

Rights chosenSmcRights() {
  const auto machine = environment("QUIMBO_SMC_SIM");
  if (!machine) return System::sensorRights();
  // Its folder as named, and where a link there leads.
  std::error_code error;
  const std::filesystem::path named = std::filesystem::absolute(*machine, error);
  return Rights::reading(
      {named.parent_path(), std::filesystem::weakly_canonical(named, error).parent_path()});
}

}  // namespace quimbo

#include "platform/SmcChoice.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/System.h"
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

}  // namespace quimbo

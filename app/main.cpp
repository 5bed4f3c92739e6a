// Quimbo: the process entry. Picks the platform adapters from the
// environment and runs the application loop.

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/Monitor.h"
#include "platform/LinuxServiceManager.h"
#include "platform/MachineFile.h"
#include "platform/PollRunLoop.h"
#include "platform/SimulatedSmc.h"
#include "platform/hwmon/HwmonSmc.h"
#include "platform/terminal/TerminalFrontEnd.h"
#include "ui/QuimboApp.h"

namespace {

using namespace quimbo;

constexpr const char* kUsage =
    "Quimbo " QUIMBO_VERSION
    ": a temperature and fan monitor.\n"
    "\n"
    "Usage: quimbo\n"
    "\n"
    "Quimbo takes no arguments. It shows the hottest CPU/GPU temperature and the\n"
    "fastest fan in a menu bar; Enter, Space or a click opens the panel, Escape\n"
    "closes it, Tab moves to \xC3\x87\xC4\xB1k\xC4\xB1\xC5\x9F (Quit).\n"
    "\n"
    "Environment:\n"
    "  QUIMBO_SMC_SIM=FILE     read a simulated SMC described by FILE\n"
    "  QUIMBO_SMC_TRACE=FILE   append every simulated SMC exchange to FILE\n"
    "  QUIMBO_HWMON_ROOT=DIR   read the hardware sensors under DIR instead of\n"
    "                          /sys/class/hwmon\n"
    "  QUIMBO_FRONTEND=terminal|desktop\n"
    "                          force a front end (default: desktop where a\n"
    "                          display is available, terminal otherwise)\n";

constexpr int kUsageError = 2;
constexpr const char* kHwmonRoot = "/sys/class/hwmon";

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

// The SMC user client of this machine, or of the simulated one.
std::unique_ptr<UserClient> smcUserClient() {
  if (const auto machine = environment("QUIMBO_SMC_SIM")) {
    return std::make_unique<SimulatedSmc>(
        SimulatedSmc::watching(*machine, environment("QUIMBO_SMC_TRACE")));
  }
  return std::make_unique<HwmonSmc>(environment("QUIMBO_HWMON_ROOT").value_or(kHwmonRoot));
}

int fail(const std::string& message, int status = 1) {
  std::cerr << "quimbo: " << message << '\n';
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const std::string_view argument = argv[1];
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (argument == "--version") {
      std::cout << "quimbo " QUIMBO_VERSION "\n";
      return 0;
    }
    return fail("unexpected argument '" + std::string(argument) +
                    "': Quimbo takes no arguments (see quimbo --help)",
                kUsageError);
  }

  const auto frontEnd = environment("QUIMBO_FRONTEND");
  if (frontEnd && *frontEnd != "terminal" && *frontEnd != "desktop") {
    return fail("QUIMBO_FRONTEND must be terminal or desktop, not '" + *frontEnd + "'",
                kUsageError);
  }
  if (frontEnd == "desktop") return fail("the desktop front end is not part of this build");

  try {
    std::unique_ptr<UserClient> smc = smcUserClient();
    if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) {
      return fail("the terminal front end needs a terminal on standard input and output");
    }
    LinuxServiceManager services;
    PollRunLoop loop;
    terminal::TerminalFrontEnd terminal(loop);
    ui::QuimboApp app([&] { return Monitor::make({*smc, services, loop}); }, terminal);
    return terminal.run(app);
  } catch (const std::exception& error) {
    return fail(error.what());
  }
}

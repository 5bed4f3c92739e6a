// Quimbo: the process entry. Picks the platform adapters from the
// environment and runs the application loop.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/DesktopModuleLoader.h"
#include "monitor/Monitor.h"
#include "platform/Bundle.h"
#include "platform/DiagnosticStream.h"
#include "platform/desktop/DesktopModule.h"
#include "platform/runloop/PollRunLoop.h"
#include "platform/simulated/SimulatedSmc.h"
#include "platform/terminal/TerminalFrontEnd.h"
#include "ui/QuimboApp.h"
#ifdef __APPLE__
#include "platform/macos/IOKitUserClient.h"
#include "platform/macos/SMAppServiceManager.h"
#else
#include "platform/linux/LinuxServiceManager.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#endif

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
#ifdef __APPLE__
using SystemServiceManager = SMAppServiceManager;
#else
using SystemServiceManager = LinuxServiceManager;
constexpr const char* kHwmonRoot = "/sys/class/hwmon";
#endif

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

// The SMC user client of this machine, or of the simulated one.
std::unique_ptr<UserClient> smcUserClient(Diagnostics& diagnostics) {
  if (const auto machine = environment("QUIMBO_SMC_SIM")) {
    std::optional<TraceFile> trace;
    if (const auto path = environment("QUIMBO_SMC_TRACE")) trace.emplace(*path, diagnostics);
    return std::make_unique<SimulatedSmc>(
        SimulatedSmc::watching(*machine, diagnostics, std::move(trace)));
  }
#ifdef __APPLE__
  return std::make_unique<IOKitUserClient>();
#else
  return std::make_unique<HwmonSmc>(environment("QUIMBO_HWMON_ROOT").value_or(kHwmonRoot));
#endif
}

int fail(const std::string& message, int status = 1) {
  std::cerr << "quimbo: " << message << '\n';
  return status;
}

// Whether standard error is the terminal the terminal front end draws on.
bool errorsOnScreen() {
  struct stat error, screen;
  return ::isatty(STDERR_FILENO) && ::fstat(STDERR_FILENO, &error) == 0 &&
         ::fstat(STDOUT_FILENO, &screen) == 0 && error.st_rdev == screen.st_rdev;
}

bool displayAvailable() {
#ifdef __APPLE__
  return true;  // the window server
#endif
  return environment("DISPLAY").has_value() || environment("WAYLAND_DISPLAY").has_value();
}

bool terminalAvailable() { return ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO); }

int runTerminal(UserClient& smc, ServiceManager& services) {
  if (!terminalAvailable()) {
    return fail("the terminal front end needs a terminal on standard input and output");
  }
  PollRunLoop loop;
  terminal::TerminalFrontEnd terminal(loop);
  ui::QuimboApp app([&] { return Monitor::make({smc, services, loop}); }, terminal);
  return terminal.run(app);
}

// Where the desktop cannot be used, the terminal stands in when there is one,
// unless the desktop was asked for by name.
int withoutDesktop(const std::string& why, bool asked, UserClient& smc, ServiceManager& services) {
  if (asked || !terminalAvailable()) return fail(why);
  std::cerr << "quimbo: " << why << "; running in the terminal\n";
  return runTerminal(smc, services);
}

int runDesktop(UserClient& smc, ServiceManager& services, char* program, bool asked) {
#ifdef __APPLE__
  return quimbo_run_desktop(smc, services, program);  // linked into the application
#else
  const DesktopModuleEntry module = loadDesktopModule(Bundle::main());
  if (module.run == nullptr) return withoutDesktop(module.error, asked, smc, services);
  return module.run(smc, services, program);
#endif
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
  const bool asked = frontEnd == "desktop";
  const bool desktop = frontEnd ? asked : displayAvailable();

  // Reports while running; held until the terminal is given back when they
  // would land on its screen.
  DiagnosticStream diagnostics(std::cerr, !desktop && errorsOnScreen());
  try {
    std::unique_ptr<UserClient> smc = smcUserClient(diagnostics);
    SystemServiceManager services;
    return desktop ? runDesktop(*smc, services, argv[0], asked) : runTerminal(*smc, services);
  } catch (const std::exception& error) {
    return fail(error.what());
  }
}

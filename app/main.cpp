// Quimbo: the process entry. Picks the platform adapters from the
// environment and runs the application loop.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/Confinement.h"
#include "app/FrontEndChoice.h"
#include "app/SmcChoice.h"
#include "app/System.h"
#include "monitor/Monitor.h"
#include "platform/process/DescriptorLimit.h"
#include "platform/process/DiagnosticStream.h"
#include "platform/runloop/PollRunLoop.h"
#include "platform/terminal/TerminalFrontEnd.h"
#include "ui/QuimboApp.h"

namespace {

using namespace quimbo;

// --help, around the variables that choose the SMC.
constexpr const char* kUsageHead =
    "Quimbo " QUIMBO_VERSION
    ": a temperature and fan monitor.\n"
    "\n"
    "Usage: quimbo\n"
    "\n"
    "Quimbo takes no arguments. It shows the hottest CPU/GPU temperature and the\n"
    "fastest fan in a menu bar, and a panel of temperatures and fans below it.\n"
    "\n"
    "On a desktop the label is in the system tray, or a strip at the top right of\n"
    "the screen; a click opens the panel. Without a desktop, or where the desktop\n"
    "cannot be used, it runs in the terminal: Enter, Space or a click on the label\n"
    "opens and closes the panel, Escape closes it, Tab moves to "
    "\xC3\x87\xC4\xB1k\xC4\xB1\xC5\x9F (Quit) and\n"
    "Enter presses it; Up, Down, Page Up, Page Down, Home, End and the mouse\n"
    "wheel scroll the fans of a panel taller than the terminal; Ctrl-Z suspends\n"
    "it.\n"
    "\n"
    "Environment:\n";
constexpr const char* kUsageTail =
    "  QUIMBO_FRONTEND=terminal|desktop\n"
    "                          use this front end (default: the desktop where a\n"
    "                          display is available, the terminal otherwise)\n"
    "\n"
    "See quimbo(1).\n";

constexpr int kUsageError = 2;

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

// Writes the reports held while the terminal was taken, as far as the
// terminal takes them at once: one that reads no more must not hold the way
// out.
void releaseWithoutWaiting(DiagnosticStream& diagnostics) {
  const int flags = ::fcntl(STDERR_FILENO, F_GETFL);
  if (flags >= 0) ::fcntl(STDERR_FILENO, F_SETFL, flags | O_NONBLOCK);
  diagnostics.release();
  std::cerr.clear();
  if (flags >= 0) ::fcntl(STDERR_FILENO, F_SETFL, flags);
}

// The adapters every front end runs over.
struct Adapters {
  UserClient& smc;
  ServiceManager& services;
  DiagnosticStream& diagnostics;
};

int runTerminal(const Adapters& adapters) {
  if (!terminalAvailable()) {
    return fail("the terminal front end needs a terminal on standard input and output");
  }
  // Reports that would land on the screen wait until it is given back.
  const bool held = errorsOnScreen();
  if (held) adapters.diagnostics.hold();
  PollRunLoop loop;
  terminal::TerminalFrontEnd terminal(loop);
  // Run once the loop runs: the terminal is taken and the first readings
  // are in by then.
  loop.post([&] { confineProcess({}, adapters.diagnostics); });
  const auto makeMonitor = [&] { return Monitor::make({adapters.smc, adapters.services, loop}); };
  ui::QuimboApp app(makeMonitor, terminal);
  const int status = terminal.run(app);
  if (held) releaseWithoutWaiting(adapters.diagnostics);
  return status;
}

// The desktop, or the terminal standing in for it where it cannot be used.
int runDesktop(const Adapters& adapters, char* program, bool terminalMayStandIn) {
  const Result<QuimboRunDesktop> desktop = System::desktop();
  if (desktop) {
    return (*desktop)(adapters.smc, adapters.services, program, terminalMayStandIn,
                      [&](const Rights& rights) { confineProcess(rights, adapters.diagnostics); });
  }
  if (!terminalMayStandIn) return fail(desktop.failure().reason);
  std::cerr << "quimbo: " << desktop.failure().reason << "; running in the terminal\n";
  return runTerminal(adapters);
}

}  // namespace

int main(int argc, char** argv) {
  // Arguments the system's launcher adds on its own are passed over.
  char** const end = argv + argc;
  char** const given = std::find_if_not(
      argv + 1, end, [](const char* argument) { return System::launcherArgument(argument); });
  if (given != end) {
    const std::string_view argument = *given;
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsageHead << kSmcChoiceHelp << kUsageTail;
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

  const auto frontEnd = namedFrontEnd();
  if (frontEnd && *frontEnd != "terminal" && *frontEnd != "desktop") {
    return fail("QUIMBO_FRONTEND must be terminal or desktop, not '" + *frontEnd + "'",
                kUsageError);
  }
  const FrontEndChoice choice = chooseFrontEnd(frontEnd, System::displayAvailable());

  // A trace file past the size limit fails its writes, which the trace
  // reports, instead of ending the process.
  std::signal(SIGXFSZ, SIG_IGN);
  raiseDescriptorLimit();
  DiagnosticStream diagnostics(std::cerr);
  try {
    const std::unique_ptr<UserClient> smc = chosenSmcUserClient(diagnostics);
    const std::unique_ptr<ServiceManager> services = System::serviceManager();
    const Adapters adapters{*smc, *services, diagnostics};
    return choice.desktop ? runDesktop(adapters, argv[0], choice.terminalMayStandIn)
                          : runTerminal(adapters);
  } catch (const std::exception& error) {
    return fail(error.what());
  }
}

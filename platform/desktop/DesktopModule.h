#pragma once

// The desktop front end as a loadable module: the program loads it, and Qt
// with it, only when it runs on a desktop, so the terminal front end stays
// small.

#include <functional>

#include "platform/process/Rights.h"

namespace quimbo {
class UserClient;
class ServiceManager;

// Confines the process (Rights.h) to what the program reads and
// `desktop`, what the desktop front end still reads once it is up.
using ConfineDesktop = std::function<void(const Rights& desktop)>;
}  // namespace quimbo

// Runs the application on the desktop until Quit; returns the exit status.
// Once Qt is up, its item shown and the event loop running, it calls
// `confine`. A display that cannot be reached starts the program again
// with the terminal front end where `terminalMayStandIn`, and otherwise
// ends the process with status 1 and a message.
extern "C" int quimbo_run_desktop(quimbo::UserClient& smc, quimbo::ServiceManager& services,
                                  char* program, bool terminalMayStandIn,
                                  const quimbo::ConfineDesktop& confine);
using QuimboRunDesktop = decltype(&quimbo_run_desktop);

// The interface the module was built for; the program reads it before it
// calls the entry and refuses a module of another. Raised whenever the entry
// or the classes it receives change.
extern "C" const int quimbo_desktop_interface_version;
inline constexpr int kDesktopInterfaceVersion = 3;

inline constexpr const char* kDesktopModuleEntry = "quimbo_run_desktop";
inline constexpr const char* kDesktopInterfaceSymbol = "quimbo_desktop_interface_version";

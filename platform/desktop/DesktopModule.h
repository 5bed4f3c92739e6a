#pragma once

// The desktop front end as a loadable module: the program loads it, and Qt
// with it, only when it runs on a desktop, so the terminal front end stays
// small.

namespace quimbo {
class UserClient;
class ServiceManager;
}  // namespace quimbo

// Runs the application on the desktop until Quit; returns the exit status.
// A display that cannot be reached ends the process with status 1 and a
// message.
extern "C" int quimbo_run_desktop(quimbo::UserClient& smc, quimbo::ServiceManager& services,
                                  char* program);
using QuimboRunDesktop = decltype(&quimbo_run_desktop);

inline constexpr const char* kDesktopModuleEntry = "quimbo_run_desktop";

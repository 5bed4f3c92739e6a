#include "platform/System.h"
#include "platform/desktop/DesktopRights.h"

namespace quimbo::System {

// Linked into the application with the desktop front end: on a Mac it is what
// the application is for.
Desktop desktop() { return {quimbo_run_desktop, {}}; }

}  // namespace quimbo::System

namespace quimbo::desktop {

// A Mac confines nothing at run time (System::confine).
Rights desktopRights(const std::optional<Bundle>&) { return {}; }

}  // namespace quimbo::desktop

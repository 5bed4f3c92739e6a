#include "app/System.h"

namespace quimbo::System {

// Linked into the application with the desktop front end: on a Mac it is what
// the application is for.
Result<QuimboRunDesktop> desktop() { return quimbo_run_desktop; }

}  // namespace quimbo::System

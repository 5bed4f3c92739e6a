#include "platform/desktop/DesktopRights.h"

namespace quimbo::desktop {

// A Mac confines nothing at run time (System::confine).
Rights desktopRights(const std::optional<Bundle>&) { return {}; }

}  // namespace quimbo::desktop

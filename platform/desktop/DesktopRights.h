#pragma once

#include <optional>

#include "platform/process/Bundle.h"
#include "platform/process/Rights.h"

namespace quimbo::desktop {

// What the desktop front end still reads once it is up, as it draws and
// takes input: the bundle's resources (the logo, drawn with the panel) and
// the toolkit's own files, its fonts and their caches, cursor and icon
// themes, input data and plugins. On Linux, where the process confines
// itself to these; nothing on macOS, which confines nothing at run time.
Rights desktopRights(const std::optional<Bundle>& bundle);

}  // namespace quimbo::desktop

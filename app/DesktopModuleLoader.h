#pragma once

#include <optional>
#include <string>

#include "platform/Bundle.h"
#include "platform/desktop/DesktopModule.h"

namespace quimbo {

// The desktop front end's entry, read from its module, or why the module
// cannot be used.
struct DesktopModuleEntry {
  QuimboRunDesktop run = nullptr;  // null when the module is refused
  std::string error;
};

// Loads the bundle's module quimbo-desktop.so. Its path must be absolute: a
// relative one would be resolved against the working directory, which could
// hand the process any module found there.
// The entry is taken only from a module that declares this program's
// interface version; a refused module is unloaded.
DesktopModuleEntry loadDesktopModule(const std::optional<Bundle>& bundle);

}  // namespace quimbo

#pragma once

#include <filesystem>
#include <string>

#include "platform/desktop/DesktopModule.h"

namespace quimbo {

// The desktop front end's entry, read from its module, or why the module
// cannot be used.
struct DesktopModuleEntry {
  QuimboRunDesktop run = nullptr;  // null when the module is refused
  std::string error;
};

// Loads `prefix`/lib/quimbo/quimbo-desktop.so. The prefix must be absolute: a
// relative one would be resolved against the working directory, which could
// hand the process any module found there.
// The entry is taken only from a module that declares this program's
// interface version; a refused module is unloaded.
DesktopModuleEntry loadDesktopModule(const std::filesystem::path& prefix);

}  // namespace quimbo

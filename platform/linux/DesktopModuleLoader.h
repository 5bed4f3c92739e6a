#pragma once

#include <optional>

#include "platform/Failure.h"
#include "platform/desktop/DesktopModule.h"
#include "platform/process/Bundle.h"

namespace quimbo {

// Loads the bundle's module quimbo-desktop.so. Its path must be absolute: a
// relative one would be resolved against the working directory, which could
// hand the process any module found there.
// The entry is taken only from a module that declares this program's
// interface version; a refused module is unloaded.
Result<QuimboRunDesktop> loadDesktopModule(const std::optional<Bundle>& bundle);

}  // namespace quimbo

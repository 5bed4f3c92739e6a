#pragma once

#include <memory>

#include "platform/desktop/MenuBarItem.h"

namespace quimbo::desktop {

// The label as a status item of the macOS menu bar: its button reads the
// label with monospaced digits, or shows the symbol alone; a click runs
// `activated`. The application gets no Dock icon.
std::unique_ptr<MenuBarItem> makeStatusItem(MenuBarItem::Activated activated);

}  // namespace quimbo::desktop

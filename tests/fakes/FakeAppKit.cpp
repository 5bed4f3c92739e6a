// Linux stand-in for the Mac's status item (platform/macos/desktop/StatusItem.mm),
// for the Mac's configuration built on Linux (cmake/MacOnLinux.cmake): the
// label is the strip the Linux desktop shows where no tray runs.

#include "platform/desktop/MenuBarItem.h"

namespace quimbo::desktop {

std::unique_ptr<MenuBarItem> MenuBarItem::make(Activated activated, std::function<void()>) {
  return std::make_unique<StripItem>(std::move(activated));
}

void prepareDisplay() {}

QRect workArea(const QScreen& screen) { return screen.availableGeometry(); }

}  // namespace quimbo::desktop

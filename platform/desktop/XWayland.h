#pragma once

namespace quimbo::desktop {

// Whether Qt runs on XWayland: the X11 platform inside a Wayland session.
// There the compositor places the windows it manages itself, and a pointer
// grab holds only over X windows.
bool onXWayland();

}  // namespace quimbo::desktop

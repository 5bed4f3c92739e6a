#pragma once

namespace quimbo::desktop {

// Whether a pointer button is held down now, over any client's window. Known
// on X11, where a button held over another client's window keeps the pointer
// grabbed for that client; false elsewhere.
bool pointerButtonHeld();

}  // namespace quimbo::desktop

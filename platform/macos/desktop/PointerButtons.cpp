#include "platform/desktop/PointerButtons.h"

namespace quimbo::desktop {

// A Mac's pop-ups hold no pointer grab another application could keep.
bool pointerButtonHeld() { return false; }

}  // namespace quimbo::desktop

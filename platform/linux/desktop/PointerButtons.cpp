#include "platform/desktop/PointerButtons.h"

#include <cstdlib>
#include <memory>

#include "platform/linux/desktop/X11Connection.h"

namespace quimbo::desktop {

bool pointerButtonHeld() {
  xcb_connection_t* c = x11Connection();
  if (c == nullptr) return false;
  const std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> pointer(
      xcb_query_pointer_reply(c, xcb_query_pointer(c, defaultRoot(c).first), nullptr), &std::free);
  constexpr std::uint16_t kButtons = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3 |
                                     XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5;
  return pointer && (pointer->mask & kButtons) != 0;
}

}  // namespace quimbo::desktop

#pragma once

#include "platform/terminal/Layout.h"

namespace quimbo::terminal {

// A rendering shown in fewer rows than it takes, with one part of it
// scrolling: the rows above and below that part stay in view, and the part
// shows as many of its rows as are left. When even the rows that stay do not
// fit, those at the bottom are cut.
struct Viewport {
  // No taller than the room, without the buttons out of view (and without
  // the column's rows when something was cut).
  Rendering shown;
  RowSpan window;  // where the scrolling part shows in `shown`
  int offset = 0;  // its first row in view, counted within the part
  int maxOffset = 0;
  bool moreAbove() const { return offset > 0; }
  bool moreBelow() const { return offset < maxOffset; }
};

// `full` in at most `height` rows, with its rows `scrolling` scrolled down by
// `offset` (kept within what the part allows).
Viewport fitRows(const Rendering& full, RowSpan scrolling, int height, int offset);

}  // namespace quimbo::terminal

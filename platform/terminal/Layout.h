#pragma once

#include <functional>
#include <vector>

#include "platform/terminal/CellGrid.h"
#include "ui/View.h"

namespace quimbo::terminal {

// Points to cells. A 260-point panel is 40 columns; a row is a line of body
// text (17 points), and a gap shorter than a line takes no row.
inline constexpr double kPointsPerColumn = 6.5;
inline constexpr double kPointsPerRow = 17;
int columns(double points);
int rows(double points);

// Where a button landed, to be pressed by a click or a key.
struct ButtonArea {
  int row;
  int col;
  int width;
  std::function<void()> action;
};

// Rows [first, first + count).
struct RowSpan {
  int first = 0;
  int count = 0;
  int end() const { return first + count; }
  bool operator==(const RowSpan&) const = default;
};

struct Rendering {
  CellGrid grid;
  std::vector<ButtonArea> buttons;
  // Where each child of the view's column landed, when the view (under its
  // modifiers) is a VStack.
  std::vector<RowSpan> columnRows;
};

// Lays the view tree out in at most `width` columns (a framed view takes its
// frame's width) and draws it into cells: stacks and grids as the toolkit
// arranges them, texts wrapped at word boundaries, symbols as glyphs, fonts
// as emphasis, the secondary style as dim text.
Rendering render(const ui::View& view, int width);

}  // namespace quimbo::terminal

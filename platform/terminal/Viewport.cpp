#include "platform/terminal/Viewport.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace quimbo::terminal {

namespace {

// For each row of the full rendering, the row where it shows, if it does.
std::vector<std::optional<int>> rowMap(int fullHeight, RowSpan scrolling, int visible, int offset,
                                       int height) {
  std::vector<std::optional<int>> to(static_cast<std::size_t>(fullHeight));
  int next = 0;
  for (int row = 0; row < fullHeight && next < height; ++row) {
    const bool inPart = row >= scrolling.first && row < scrolling.end();
    const int inPartRow = row - scrolling.first;
    if (inPart && (inPartRow < offset || inPartRow >= offset + visible)) continue;
    to[static_cast<std::size_t>(row)] = next++;
  }
  return to;
}

}  // namespace

Viewport fitRows(const Rendering& full, RowSpan scrolling, int height, int offset) {
  const int fullHeight = full.grid.height();
  height = std::max(height, 0);
  scrolling.first = std::clamp(scrolling.first, 0, fullHeight);
  scrolling.count = std::clamp(scrolling.count, 0, fullHeight - scrolling.first);
  if (fullHeight <= height) return Viewport{full, scrolling, 0, 0};

  const int kept = fullHeight - scrolling.count;
  const int visible = std::clamp(height - kept, 0, scrolling.count);
  Viewport view;
  view.maxOffset = scrolling.count - visible;
  view.offset = std::clamp(offset, 0, view.maxOffset);
  view.window = {std::min(scrolling.first, height), visible};

  const auto to = rowMap(fullHeight, scrolling, visible, view.offset, height);
  view.shown.grid = CellGrid(full.grid.width(), std::min(height, kept + visible));
  for (int row = 0; row < fullHeight; ++row) {
    const auto& shownRow = to[static_cast<std::size_t>(row)];
    if (!shownRow) continue;
    for (int col = 0; col < full.grid.width(); ++col) {
      view.shown.grid.at(*shownRow, col) = full.grid.at(row, col);
    }
  }
  for (const ButtonArea& button : full.buttons) {
    if (button.row < 0 || button.row >= fullHeight) continue;
    if (const auto& shownRow = to[static_cast<std::size_t>(button.row)]) {
      ButtonArea moved = button;
      moved.row = *shownRow;
      view.shown.buttons.push_back(std::move(moved));
    }
  }
  return view;
}

}  // namespace quimbo::terminal

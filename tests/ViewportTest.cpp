#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal/Viewport.h"

namespace quimbo::terminal {
namespace {

// Ten rows lettered a to j, a button on row b and one on row i; rows d to g
// scroll.
Rendering lettered() {
  Rendering r{CellGrid(1, 10), {}, {}};
  for (int row = 0; row < 10; ++row) r.grid.put(row, 0, U'a' + row, {});
  r.buttons = {{1, 0, 1, {}}, {8, 0, 1, {}}};
  return r;
}

TEST(Viewport, TheScrollingPartGivesUpRowsAndTheRestStays) {
  struct Case {
    int height, offset;
    const char* rows;
    RowSpan window;
    int offsetShown, maxOffset;
    std::vector<int> buttonRows;
  };
  const Case cases[] = {
      {10, 3, "abcdefghij", {3, 4}, 0, 0, {1, 8}},  // it fits: nothing scrolls
      {12, 0, "abcdefghij", {3, 4}, 0, 0, {1, 8}},
      {8, 0, "abcdehij", {3, 2}, 0, 2, {1, 6}},
      {8, 1, "abcefhij", {3, 2}, 1, 2, {1, 6}},
      {8, 2, "abcfghij", {3, 2}, 2, 2, {1, 6}},
      {8, 9, "abcfghij", {3, 2}, 2, 2, {1, 6}},  // kept within the part
      {8, -4, "abcdehij", {3, 2}, 0, 2, {1, 6}},
      {7, 1, "abcehij", {3, 1}, 1, 3, {1, 5}},
      {6, 2, "abchij", {3, 0}, 2, 4, {1, 4}},  // no room left for the part
      {4, 0, "abch", {3, 0}, 0, 4, {1}},       // nor for all the rest: cut at the bottom
      {2, 0, "ab", {2, 0}, 0, 4, {1}},
      {0, 0, "", {0, 0}, 0, 4, {}},
      {-3, 0, "", {0, 0}, 0, 4, {}},
  };
  for (const Case& c : cases) {
    const Viewport view = fitRows(lettered(), {3, 4}, c.height, c.offset);
    const std::string name =
        "height " + std::to_string(c.height) + ", offset " + std::to_string(c.offset);
    std::string rows = view.shown.grid.text();
    std::erase(rows, '\n');
    EXPECT_EQ(rows, c.rows) << name;
    EXPECT_EQ(view.window, c.window) << name;
    EXPECT_EQ(view.offset, c.offsetShown) << name;
    EXPECT_EQ(view.maxOffset, c.maxOffset) << name;
    std::vector<int> buttonRows;
    for (const ButtonArea& b : view.shown.buttons) buttonRows.push_back(b.row);
    EXPECT_EQ(buttonRows, c.buttonRows) << name;
  }
}

}  // namespace
}  // namespace quimbo::terminal

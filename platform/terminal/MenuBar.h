#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "platform/terminal/CellGrid.h"
#include "platform/terminal/Layout.h"
#include "platform/terminal/Viewport.h"
#include "ui/QuimboApp.h"

namespace quimbo::terminal {

// The menu-bar item on a terminal: the top line is the menu bar with the
// label at its right end; activating the label drops the panel down below
// it, in a box about 40 columns wide. A panel taller than the terminal keeps
// its header and footer in view and scrolls its fan list (in a terminal too
// short for that, the note and then the tiles as well), with a mark on the
// box's border where more is hidden. Below six rows the panel does not show.
class MenuBar final {
 public:
  enum class Key { activate, escape, tab, up, down, pageUp, pageDown, home, end };
  using Action = std::function<void()>;

  bool isOpen() const { return open_; }

  // The whole screen for the scene as it is now.
  CellGrid compose(ui::MenuBarExtra& scene, int width, int height);

  // Input against the last composed screen; returns the action of a pressed
  // button, if any.
  Action key(Key key);
  Action click(int row, int col);
  // Scrolls the fan list of the open panel by `lines` (up when negative).
  void scrollBy(int lines);

 private:
  struct Area {
    int row = 0, col = 0, width = 0, height = 0;
    bool contains(int r, int c) const {
      return r >= row && r < row + height && c >= col && c < col + width;
    }
  };
  void close();
  void drawPanel(CellGrid& screen, const Viewport& view);

  bool open_ = false;
  bool buttonFocused_ = false;
  int scrolled_ = 0;  // the scrolling rows' first row in view
  int page_ = 0;      // how many rows of it show
  int maxScroll_ = 0;
  Area label_;
  Area panel_;
  std::vector<ButtonArea> buttons_;
};

}  // namespace quimbo::terminal

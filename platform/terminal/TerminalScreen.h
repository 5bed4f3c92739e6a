#pragma once

#include <cstdio>
#include <optional>
#include <variant>

#include "platform/terminal/CellGrid.h"

struct screen;  // curses' SCREEN

namespace quimbo::terminal {

// A curses session on the controlling terminal: set up on construction,
// and the terminal given back as it was on destruction, whatever the way out.
class TerminalScreen final {
 public:
  struct Key {
    int code;  // a character, or a curses key code
    bool function;
  };
  struct Click {
    int row;
    int col;
  };
  using Input = std::variant<Key, Click>;

  TerminalScreen();
  // A session on another terminal, for measuring: output to `out`.
  TerminalScreen(std::FILE* out, std::FILE* in);
  ~TerminalScreen();
  TerminalScreen(const TerminalScreen&) = delete;
  TerminalScreen& operator=(const TerminalScreen&) = delete;

  int width() const;
  int height() const;
  // Takes the terminal's new size after a window change.
  void resize();
  // Draws the grid; only what changed since the last paint is sent.
  void paint(const CellGrid& grid);
  // The next pending input, or none.
  std::optional<Input> read();

 private:
  int colourPair(const CellStyle& style);

  ::screen* screen_ = nullptr;
  bool directColour_ = false;
  int pairs_[4] = {};  // green, orange, red, accent; 0 when not made yet
};

}  // namespace quimbo::terminal

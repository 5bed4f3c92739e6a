#pragma once

#include <termios.h>

#include <cstdio>
#include <optional>
#include <variant>

#include "platform/terminal/CellGrid.h"
#include "platform/terminal/TerminalOutput.h"
#include "platform/terminal/TerminalRescue.h"

struct screen;  // curses' SCREEN

namespace quimbo::terminal {

// A curses session on the controlling terminal: set up on construction,
// and the terminal given back as it was on destruction, whatever the way out
// (a fatal signal included). Nothing here waits for the terminal: what it
// does not take at once waits in TerminalOutput, and the terminal's modes are
// set without waiting for output to drain. Ctrl-S and Ctrl-Q are keys like
// any other; Ctrl-C, Ctrl-Z and Ctrl-\ send their signals.
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
  // The mouse wheel: lines down, or up when negative.
  struct Wheel {
    int lines;
  };
  using Input = std::variant<Key, Click, Wheel>;

  // A session on standard output and input. Throws std::runtime_error when
  // TERM names no terminal type that can place the cursor.
  TerminalScreen();
  // A session on another terminal, for measuring: output to `out`.
  TerminalScreen(int out, std::FILE* in);
  ~TerminalScreen();
  TerminalScreen(const TerminalScreen&) = delete;
  TerminalScreen& operator=(const TerminalScreen&) = delete;

  int width() const;
  int height() const;
  // Takes the terminal's new size after a window change; the next paint
  // draws the whole screen.
  void resize();
  // Gives the terminal back for a while, as on the way out.
  void suspend();
  // Takes the terminal again after the process was stopped, however it was
  // stopped and whatever was done to the terminal meanwhile: its modes and
  // size are taken anew, and the next paint draws the whole screen.
  void resume();
  // The terminal has gone: nothing more is written to it, not even on the
  // way out.
  void hungUp();
  // Draws the grid: only the cells that differ from the last grid painted
  // are given to curses (all of them after a resize or a resume), and a grid
  // like the last one costs nothing. Paint only while no output waits:
  // curses takes it as shown.
  void paint(const CellGrid& grid);
  // Sends the output that waits as far as the terminal takes it; returns
  // whether none is left. While some is, poll outputFd() for POLLOUT.
  bool flush();
  bool waiting() const { return output_.waiting(); }
  int outputFd() const { return output_.terminal(); }
  // The next pending input, or none.
  std::optional<Input> read();

 private:
  int colourPair(const CellStyle& style);
  void draw(int row, int col, const Cell& cell);
  // The modes curses would set (no echo, no line editing, no translation of
  // newlines), and no flow control, so that Ctrl-S cannot stop the output.
  void takeModes();
  void giveModesBack();

  TerminalOutput output_;
  TerminalRescue rescue_;
  std::optional<termios> shellModes_;  // none when the output is no terminal
  ::screen* screen_ = nullptr;
  bool gone_ = false;
  // What curses was given at the last paint; empty when the next paint is
  // to draw every cell.
  CellGrid shown_;
  // Whether curses may have written since output was last taken from it.
  bool written_ = true;
  bool directColour_ = false;
  int pairs_[4] = {};  // green, orange, red, accent; 0 when not made yet
};

}  // namespace quimbo::terminal

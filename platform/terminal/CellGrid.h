#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/Color.h"

namespace quimbo::terminal {

struct CellStyle {
  std::optional<ui::Color> colour;  // none: the terminal's own
  bool bold = false;
  bool dim = false;
  bool reverse = false;
  bool operator==(const CellStyle&) const = default;
};

// One terminal cell: a character, or 0 for the right half of a wide one.
struct Cell {
  char32_t glyph = U' ';
  CellStyle style;
  bool operator==(const Cell&) const = default;
};

// A rectangle of styled cells; writes outside it are clipped.
class CellGrid final {
 public:
  CellGrid() = default;
  CellGrid(int width, int height)
      : width_(width), height_(height), cells_(static_cast<std::size_t>(width * height)) {}

  int width() const { return width_; }
  int height() const { return height_; }
  const Cell& at(int row, int col) const { return cells_[index(row, col)]; }
  Cell& at(int row, int col) { return cells_[index(row, col)]; }
  bool contains(int row, int col) const {
    return row >= 0 && row < height_ && col >= 0 && col < width_;
  }

  // Writes one character, taking two cells when it is wide.
  void put(int row, int col, char32_t glyph, const CellStyle& style);
  // Copies `other` with its top-left corner at (row, col).
  void blit(const CellGrid& other, int row, int col);

  bool operator==(const CellGrid&) const = default;

  // The characters, one line per row, without trailing blanks.
  std::string text() const;

 private:
  std::size_t index(int row, int col) const { return static_cast<std::size_t>(row * width_ + col); }
  int width_ = 0;
  int height_ = 0;
  std::vector<Cell> cells_;
};

}  // namespace quimbo::terminal

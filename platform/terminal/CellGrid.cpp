#include "platform/terminal/CellGrid.h"

#include "platform/terminal/Unicode.h"

namespace quimbo::terminal {

void CellGrid::put(int row, int col, char32_t glyph, const CellStyle& style) {
  if (!contains(row, col)) return;
  const int width = columnWidth(glyph);
  if (width == 2 && !contains(row, col + 1)) return;  // half a wide character shows nothing
  at(row, col) = Cell{glyph, style};
  if (width == 2) at(row, col + 1) = Cell{0, style};
}

void CellGrid::blit(const CellGrid& other, int row, int col) {
  for (int r = 0; r < other.height(); ++r) {
    for (int c = 0; c < other.width(); ++c) {
      if (contains(row + r, col + c)) at(row + r, col + c) = other.at(r, c);
    }
  }
}

std::string CellGrid::text() const {
  std::string out;
  for (int r = 0; r < height_; ++r) {
    std::string line;
    for (int c = 0; c < width_; ++c) {
      if (at(r, c).glyph != 0) appendUtf8(line, at(r, c).glyph);
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out += line;
    out += '\n';
  }
  return out;
}

}  // namespace quimbo::terminal

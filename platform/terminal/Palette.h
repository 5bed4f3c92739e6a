#pragma once

#include <cstdint>

#include "ui/Color.h"

namespace quimbo::terminal {

// The index of the xterm 256-colour palette (its 6x6x6 cube and grey ramp)
// nearest to an 8-bit sRGB colour.
int nearest256(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// The colour's 8-bit sRGB components, rounded.
struct Rgb8 {
  std::uint8_t red, green, blue;
};
Rgb8 toRgb8(const ui::Color& colour);

}  // namespace quimbo::terminal

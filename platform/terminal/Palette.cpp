#include "platform/terminal/Palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quimbo::terminal {

namespace {

constexpr std::array<int, 6> kCubeLevels = {0, 95, 135, 175, 215, 255};

int nearestLevel(int value) {
  int best = 0;
  for (int i = 1; i < 6; ++i) {
    if (std::abs(kCubeLevels[i] - value) < std::abs(kCubeLevels[best] - value)) best = i;
  }
  return best;
}

int distance(int r1, int g1, int b1, int r2, int g2, int b2) {
  return (r1 - r2) * (r1 - r2) + (g1 - g2) * (g1 - g2) + (b1 - b2) * (b1 - b2);
}

std::uint8_t channel(double value) {
  if (!(value > 0)) return 0;
  if (value >= 1) return 255;
  return static_cast<std::uint8_t>(std::lround(value * 255));
}

}  // namespace

int nearest256(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const int r = nearestLevel(red), g = nearestLevel(green), b = nearestLevel(blue);
  const int cube = 16 + 36 * r + 6 * g + b;
  const int cubeDistance =
      distance(red, green, blue, kCubeLevels[r], kCubeLevels[g], kCubeLevels[b]);

  // The grey ramp 232..255 runs from 8 to 238 in steps of 10.
  const int average = (red + green + blue) / 3;
  const int step = std::min(23, std::max(0, (average - 8 + 5) / 10));
  const int grey = 8 + 10 * step;
  const int greyDistance = distance(red, green, blue, grey, grey, grey);
  return greyDistance < cubeDistance ? 232 + step : cube;
}

Rgb8 toRgb8(const ui::Color& colour) {
  return {channel(colour.red), channel(colour.green), channel(colour.blue)};
}

}  // namespace quimbo::terminal

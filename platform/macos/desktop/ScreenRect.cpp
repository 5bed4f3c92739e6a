#include "platform/macos/desktop/ScreenRect.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "monitor/WholeNumber.h"

namespace quimbo {

namespace {

// A whole number of points as an int, kept within the int's range.
int points(double whole) {
  constexpr std::int64_t kLowest = std::numeric_limits<int>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(wholeNumber(whole), kLowest, kHighest));
}

}  // namespace

PointRect topLeftOrigin(const ScreenRect& cocoa, double primaryScreenHeight) {
  const double left = std::floor(cocoa.x);
  const double top = std::floor(primaryScreenHeight - (cocoa.y + cocoa.height));
  const double right = std::ceil(cocoa.x + cocoa.width);
  const double bottom = std::ceil(primaryScreenHeight - cocoa.y);
  return PointRect{points(left), points(top), points(right - left), points(bottom - top)};
}

}  // namespace quimbo

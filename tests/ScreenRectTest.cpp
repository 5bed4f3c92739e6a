#include <gtest/gtest.h>

#include <limits>

#include "platform/macos/desktop/ScreenRect.h"

namespace quimbo {
namespace {

TEST(ScreenRect, CocoaRectanglesTurnIntoQtsWholePointsRoundedOutward) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr int kMax = std::numeric_limits<int>::max();
  struct Case {
    const char* what;
    ScreenRect cocoa;
    double primaryHeight;
    PointRect qt;
  };
  const Case cases[] = {
      {"an item in the menu bar of a 1440x900 screen", {1300, 876, 60, 24}, 900, {1300, 0, 60, 24}},
      {"halves of a Retina screen", {10.5, 100.25, 20.5, 22.5}, 900, {10, 777, 21, 23}},
      {"a screen above the primary one", {0, 900, 100, 24}, 900, {0, -24, 100, 24}},
      {"a screen left of the primary one", {-1920.5, 1056, 40, 24}, 1080, {-1921, 0, 41, 24}},
      {"not a number", {kNaN, kNaN, kNaN, kNaN}, 900, {0, 0, 0, 0}},
      {"beyond the int's range", {1e300, 0, 10, 24}, 900, {kMax, 876, 0, 24}},
  };
  for (const Case& c : cases) EXPECT_EQ(topLeftOrigin(c.cocoa, c.primaryHeight), c.qt) << c.what;
}

}  // namespace
}  // namespace quimbo

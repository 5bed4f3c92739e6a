#pragma once

namespace quimbo {

// A rectangle of the screen, in points.
struct ScreenRect {
  double x;
  double y;
  double width;
  double height;
};

// The whole points that cover a rectangle, its origin at the top left.
struct PointRect {
  int left;
  int top;
  int width;
  int height;
  bool operator==(const PointRect&) const = default;
};

// Cocoa measures the screen from the bottom left corner of the primary
// screen (the one with the menu bar), upward; Qt from its top left corner,
// downward. Turns a Cocoa rectangle into Qt's terms, rounded outward.
PointRect topLeftOrigin(const ScreenRect& cocoa, double primaryScreenHeight);

}  // namespace quimbo

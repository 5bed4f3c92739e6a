#pragma once

#include <variant>

namespace quimbo::ui {

// A colour of the platform: one of its standard colours, or an sRGB colour;
// either may be given an opacity.
struct Color {
  enum class Kind { green, orange, red, srgb };
  Kind kind = Kind::srgb;
  double red = 0, green = 0, blue = 0, alpha = 1;
  double opacity = 1;

  static constexpr Color standard(Kind kind) { return Color{kind}; }
  static constexpr Color sRGB(double r, double g, double b, double a) {
    return Color{Kind::srgb, r, g, b, a};
  }
  constexpr Color withOpacity(double o) const {
    Color c = *this;
    c.opacity = o;
    return c;
  }
  bool operator==(const Color&) const = default;
};

inline constexpr Color kGreen = Color::standard(Color::Kind::green);
inline constexpr Color kOrange = Color::standard(Color::Kind::orange);
inline constexpr Color kRed = Color::standard(Color::Kind::red);

// The platform's secondary hierarchical style.
struct Secondary {
  bool operator==(const Secondary&) const = default;
};

using ShapeStyle = std::variant<Color, Secondary>;

}  // namespace quimbo::ui

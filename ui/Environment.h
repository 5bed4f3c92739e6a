#pragma once

#include <optional>

#include "ui/Color.h"
#include "ui/View.h"

namespace quimbo::ui {

// What a view inherits from the modifiers around it: the font, boldness,
// foreground style and tint reach every element inside it, and an inner
// modifier wins over an outer one.
struct Environment {
  Font font = Font::body;
  bool bold = false;
  std::optional<ShapeStyle> foreground;
  std::optional<ShapeStyle> tint;

  // The environment inside `m`: changed by a font, bold, foreground-style or
  // tint modifier, the same for any other.
  Environment inside(const Modifier& m) const;
};

}  // namespace quimbo::ui

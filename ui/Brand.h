#pragma once

#include <optional>

#include "ui/Color.h"
#include "ui/Logo.h"
#include "ui/View.h"

namespace quimbo::ui {

// The product's identity: the accent colour and the brand mark. The logo is
// the front end's to find (`Application::logo`): the views read no files.
namespace Brand {

// sRGB 0.13, 0.66, 0.95 (33, 168, 242 in 8-bit terms).
inline constexpr Color accent = Color::sRGB(0.13, 0.66, 0.95, 1.0);

}  // namespace Brand

// The logo (or the fan symbol in the accent colour) beside the word "Quimbo".
struct BrandMark {
  double size;  // edge of the logo's square, in points

  View body(const std::optional<Logo>& logo) const;
};

}  // namespace quimbo::ui

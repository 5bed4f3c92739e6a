#pragma once

#include <optional>

#include "ui/Bundle.h"
#include "ui/Color.h"
#include "ui/Logo.h"
#include "ui/View.h"

namespace quimbo::ui {

// The product's identity: the accent colour, the logo and the brand mark.
namespace Brand {

// sRGB 0.13, 0.66, 0.95 (33, 168, 242 in 8-bit terms).
inline constexpr Color accent = Color::sRGB(0.13, 0.66, 0.95, 1.0);

// The bundle's "logo" resource of type "png", looked up once per process;
// none when it is missing or not a PNG.
const std::optional<Logo>& logo();

// The lookup behind `logo`.
std::optional<Logo> loadLogo(const Bundle& bundle);

}  // namespace Brand

// The logo (or the fan symbol in the accent colour) beside the word "Quimbo".
struct BrandMark {
  double size;  // edge of the logo's square, in points

  View body() const { return body(Brand::logo()); }
  View body(const std::optional<Logo>& logo) const;
};

}  // namespace quimbo::ui

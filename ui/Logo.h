#pragma once

#include <cstdint>
#include <string>

namespace quimbo::ui {

// The application's logo, as the front end read it: an image file and its
// size in pixels.
struct Logo {
  std::string path;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool operator==(const Logo&) const = default;
};

}  // namespace quimbo::ui

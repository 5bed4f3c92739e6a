#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quimbo::ui {

// The application's logo: a PNG file and its size in pixels.
struct Logo {
  std::string path;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool operator==(const Logo&) const = default;
};

// The logo at `path` when the file is a well-formed PNG (signature, header
// and every chunk checksum intact, image data present); none otherwise.
std::optional<Logo> readPng(const std::string& path);

}  // namespace quimbo::ui

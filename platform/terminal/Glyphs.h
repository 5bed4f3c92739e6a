#pragma once

#include <string_view>

namespace quimbo::terminal {

// A single-column character for each system symbol the views use, one that
// DejaVu Sans Mono (Debian's monospaced font) has; '?' for any other name.
char32_t symbolGlyph(std::string_view systemName);

// The logo image cannot be drawn in cells; this stands in for it.
inline constexpr char32_t kLogoGlyph = U'✻';

}  // namespace quimbo::terminal

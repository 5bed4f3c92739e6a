#include "platform/terminal/Glyphs.h"

#include <array>
#include <utility>

namespace quimbo::terminal {

char32_t symbolGlyph(std::string_view systemName) {
  static constexpr std::array<std::pair<std::string_view, char32_t>, 10> kGlyphs{{
      {"fanblades", U'✣'},
      {"fanblades.fill", U'✻'},
      {"cpu", U'▣'},
      {"cpu.fill", U'▦'},
      {"internaldrive", U'▭'},
      {"thermometer.low", U'♁'},
      {"thermometer.medium", U'♁'},
      {"lock.fill", U'⊘'},
      {"exclamationmark.triangle", U'⚠'},
      {"", U' '},
  }};
  for (const auto& [name, glyph] : kGlyphs) {
    if (name == systemName) return glyph;
  }
  return U'?';
}

}  // namespace quimbo::terminal

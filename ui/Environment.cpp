#include "ui/Environment.h"

namespace quimbo::ui {

Environment Environment::inside(const Modifier& m) const {
  Environment env = *this;
  if (const auto* font = std::get_if<modifier::Font>(&m)) env.font = font->font;
  if (std::holds_alternative<modifier::Bold>(m)) env.bold = true;
  if (const auto* style = std::get_if<modifier::ForegroundStyle>(&m)) env.foreground = style->style;
  if (const auto* tint = std::get_if<modifier::Tint>(&m)) env.tint = tint->style;
  return env;
}

}  // namespace quimbo::ui

#include "platform/desktop/DesktopStyle.h"

#include <algorithm>
#include <cmath>

namespace quimbo::desktop {

namespace {
constexpr double kSecondaryAlpha = 0.55;
}

int pixelSize(ui::Font font) {
  switch (font) {
    case ui::Font::title3:
      return 15;
    case ui::Font::headline:
      return 13;
    case ui::Font::body:
      return 13;
    case ui::Font::callout:
      return 12;
    case ui::Font::subheadline:
      return 11;
    case ui::Font::caption:
      return 10;
    case ui::Font::caption2:
      return 10;
  }
  return 13;
}

QFont fontFor(ui::Font font, bool bold) {
  QFont f;
  f.setPixelSize(pixelSize(font));
  f.setBold(bold || font == ui::Font::headline);
  return f;
}

bool isDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() <
         palette.color(QPalette::WindowText).lightness();
}

QColor colourFor(const ui::Color& colour, const QPalette& palette) {
  const bool dark = isDark(palette);
  QColor c;
  switch (colour.kind) {
    case ui::Color::Kind::green:
      c = dark ? QColor(48, 209, 88) : QColor(40, 180, 70);
      break;
    case ui::Color::Kind::orange:
      c = dark ? QColor(255, 159, 10) : QColor(240, 140, 0);
      break;
    case ui::Color::Kind::red:
      c = dark ? QColor(255, 69, 58) : QColor(235, 50, 40);
      break;
    case ui::Color::Kind::srgb:
      c = QColor::fromRgbF(static_cast<float>(colour.red), static_cast<float>(colour.green),
                           static_cast<float>(colour.blue), static_cast<float>(colour.alpha));
      break;
  }
  c.setAlphaF(static_cast<float>(c.alphaF() * std::clamp(colour.opacity, 0.0, 1.0)));
  return c;
}

QColor secondaryFor(const QPalette& palette) {
  QColor c = palette.color(QPalette::WindowText);
  c.setAlphaF(static_cast<float>(kSecondaryAlpha));
  return c;
}

QColor styleColour(const ui::ShapeStyle& style, const QPalette& palette) {
  if (const auto* colour = std::get_if<ui::Color>(&style)) return colourFor(*colour, palette);
  return secondaryFor(palette);
}

}  // namespace quimbo::desktop

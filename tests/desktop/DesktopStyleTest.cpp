#include "platform/desktop/DesktopStyle.h"

#include <gtest/gtest.h>

namespace quimbo::desktop {
namespace {

// The standard colours read as themselves on either palette, a little
// lighter on a dark one; an opacity carries over.
TEST(DesktopStyle, StandardColoursKeepTheirHueAndLightenOnADarkPalette) {
  // Palettes of a window colour, with the text Qt gives it: black, or white.
  const QPalette light(QColor(236, 236, 236), QColor(236, 236, 236));
  const QPalette dark(QColor(40, 40, 40), QColor(40, 40, 40));
  EXPECT_FALSE(isDark(light));
  EXPECT_TRUE(isDark(dark));
  const struct {
    ui::Color colour;
    int fromHue, toHue;  // degrees, the ends included
  } cases[] = {{ui::kRed, -15, 15}, {ui::kOrange, 25, 45}, {ui::kGreen, 100, 150}};
  for (const auto& c : cases) {
    const QColor onLight = colourFor(c.colour, light), onDark = colourFor(c.colour, dark);
    for (const QColor& shown : {onLight, onDark}) {
      const int hue = shown.hslHue() > 180 ? shown.hslHue() - 360 : shown.hslHue();
      EXPECT_TRUE(hue >= c.fromHue && hue <= c.toHue) << shown.name().toStdString();
    }
    EXPECT_GT(onDark.lightness(), onLight.lightness()) << onDark.name().toStdString();
  }
  EXPECT_NEAR(colourFor(ui::kRed.withOpacity(0.1), light).alphaF(), 0.1, 0.01);
}

}  // namespace
}  // namespace quimbo::desktop

#include <gtest/gtest.h>

#include <cmath>

#include "ui/PanelView.h"

namespace quimbo::ui {
namespace {

TEST(TempTiles, ValueTextAndTintFollowTheTemperatureAndChangeAtSeventyAndNinety) {
  struct Case {
    double value;
    const char* text;
    Color colour;
  };
  const Case cases[] = {{0, "—", kGreen},          {-3, "—", kGreen},
                        {std::nan(""), "—", kRed}, {69.99, "69°C", kGreen},
                        {70.0, "70°C", kOrange},   {89.9, "89°C", kOrange},
                        {90.0, "90°C", kRed},      {INFINITY, "9223372036854775807°C", kRed}};
  for (const Case& c : cases) {
    const View tile = PanelView::tempTile("CPU", c.value, "cpu");
    const View& symbol = tile.children()->at(0);
    EXPECT_EQ(tile.children()->at(1).children()->at(1).as<Text>()->string(), c.text) << c.value;
    EXPECT_EQ(std::get<Color>(symbol.find<modifier::ForegroundStyle>()->style), c.colour)
        << c.value;
    const Color tint = std::get<Color>(tile.find<modifier::Background>()->style);
    EXPECT_EQ(tint.withOpacity(1), c.colour) << c.value << ": the tile is tinted in its colour";
    EXPECT_LT(tint.opacity, 0.5) << c.value << ": faintly, so that the text reads";
  }
}

}  // namespace
}  // namespace quimbo::ui

#include <gtest/gtest.h>

#include <cmath>

#include "ui/PanelView.h"
#include "ui/TemperatureColor.h"

namespace quimbo::ui {
namespace {

TEST(TemperatureColor, ChangesAtSeventyAndNinety) {
  EXPECT_EQ(temperatureColor(0), kGreen);
  EXPECT_EQ(temperatureColor(69.99), kGreen);
  EXPECT_EQ(temperatureColor(70.0), kOrange);
  EXPECT_EQ(temperatureColor(89.9), kOrange);
  EXPECT_EQ(temperatureColor(90.0), kRed);
  EXPECT_EQ(temperatureColor(std::nan("")), kRed);
}

struct TileParts {
  std::string symbol;
  Color symbolColour;
  std::string label;
  std::string value;
  Color background;
};

TileParts parts(const View& tile) {
  const View& symbol = tile.children()->at(0);
  const View& texts = tile.children()->at(1);
  return {symbol.as<Image>()->systemName,
          std::get<Color>(symbol.find<modifier::ForegroundStyle>()->style),
          texts.children()->at(0).as<Text>()->string(),
          texts.children()->at(1).as<Text>()->string(),
          std::get<Color>(tile.find<modifier::Background>()->style)};
}

TEST(TempTiles, ValueTextAndTintFollowTheTemperature) {
  struct Case {
    double value;
    const char* text;
    Color colour;
  };
  const Case cases[] = {{0, "—", kGreen},          {-3, "—", kGreen},
                        {std::nan(""), "—", kRed}, {41.5, "41°C", kGreen},
                        {54.9, "54°C", kGreen},    {69.99, "69°C", kGreen},
                        {70.0, "70°C", kOrange},   {89.9, "89°C", kOrange},
                        {90.0, "90°C", kRed},      {INFINITY, "9223372036854775807°C", kRed}};
  for (const Case& c : cases) {
    const TileParts tile = parts(PanelView::tempTile("CPU", c.value, "cpu"));
    EXPECT_EQ(tile.value, c.text) << c.value;
    EXPECT_EQ(tile.symbolColour, c.colour) << c.value;
    EXPECT_EQ(tile.background, c.colour.withOpacity(0.1)) << c.value;
    EXPECT_EQ(tile.label, "CPU");
  }
}

TEST(TempTiles, GridHoldsTheFourTilesInCatalogueOrder) {
  const View grid = PanelView::tileGrid({61.2, 95, 0, 31});
  const auto* lazy = grid.as<LazyVGrid>();
  ASSERT_TRUE(lazy);
  ASSERT_EQ(lazy->columns.size(), 2u);
  EXPECT_EQ(lazy->columns[0].minimum, 10);
  EXPECT_TRUE(std::isinf(lazy->columns[1].maximum));
  ASSERT_EQ(lazy->children.size(), 4u);
  const TileParts cpu = parts(lazy->children[0]), gpu = parts(lazy->children[1]),
                  ssd = parts(lazy->children[2]), ambient = parts(lazy->children[3]);
  EXPECT_EQ(cpu.label + cpu.symbol + cpu.value, "CPUcpu61°C");
  EXPECT_EQ(gpu.label + gpu.symbol + gpu.value, "GPUcpu.fill95°C");
  EXPECT_EQ(gpu.symbolColour, kRed);
  EXPECT_EQ(ssd.label + ssd.symbol + ssd.value, "SSDinternaldrive—");
  EXPECT_EQ(ambient.label + ambient.symbol + ambient.value, "Ortamthermometer.low31°C");
}

}  // namespace
}  // namespace quimbo::ui

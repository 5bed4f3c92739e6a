#include <limits>

#include "monitor/WholeNumber.h"
#include "ui/PanelView.h"
#include "ui/TemperatureColor.h"

namespace quimbo::ui {

namespace {
constexpr double kColumnMinimum = 10;
constexpr double kRowSpacing = 8;
constexpr double kTileSpacing = 8;
constexpr double kSymbolWidth = 18;
constexpr double kTilePadding = 8;
constexpr double kTintOpacity = 0.1;
constexpr double kCornerRadius = 8;

Text valueText(double celsius) {
  if (celsius > 0) return Text::localized("%lld°C", {wholeNumber(celsius)});
  return Text::localized("—");
}
}  // namespace

View PanelView::tempTile(std::string label, double value, std::string symbol) {
  const Color c = temperatureColor(value);
  View texts = VStack{
      HorizontalAlignment::leading,
      0,
      {View(Text::verbatimText(std::move(label))).font(Font::caption2).foregroundStyle(Secondary{}),
       View(valueText(value)).font(Font::callout).bold().monospacedDigit()}};
  return View(HStack{VerticalAlignment::center,
                     kTileSpacing,
                     {View(Image{std::move(symbol), {}}).foregroundStyle(c).frame(kSymbolWidth),
                      std::move(texts), Spacer{}}})
      .padding(kTilePadding)
      .background(temperatureColor(value).withOpacity(kTintOpacity))
      .clipShape(kCornerRadius);
}

View PanelView::tileGrid(const TempSummary& summary) {
  constexpr GridItem kFlexible{kColumnMinimum, std::numeric_limits<double>::infinity()};
  LazyVGrid grid{{kFlexible, kFlexible}, HorizontalAlignment::center, kRowSpacing, {}};
  grid.children.reserve(kTiles.size());
  for (const Tile& tile : kTiles) {
    grid.children.push_back(tempTile(std::string(tile.label),
                                     summary.*TempSummary::field(tile.group),
                                     std::string(tile.symbol)));
  }
  return grid;
}

}  // namespace quimbo::ui

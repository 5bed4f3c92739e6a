#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "monitor/FanReading.h"
#include "monitor/Monitor.h"
#include "monitor/TempSummary.h"
#include "ui/Application.h"
#include "ui/View.h"

namespace quimbo::ui {

// The drop-down panel: brand and highest temperature, the tiles and fans (or
// the notice that the SMC cannot be reached), the hardware note, and the
// footer with the Quit button. A pure function of the Monitor's readings.
class PanelView final {
 public:
  static constexpr double kWidth = 260;
  static constexpr double kPadding = 12;
  static constexpr double kSpacing = 12;
  static constexpr double kBrandMarkSize = 22;
  static constexpr double kFanBlockSpacing = 3;
  static constexpr double kNoteSpacing = 6;

  // One temperature tile: its label, the group whose highest reading it
  // shows, its symbol.
  struct Tile {
    std::string_view label;
    SMC::Group group;
    std::string_view symbol;
  };
  static constexpr std::array<Tile, 4> kTiles{{
      {"CPU", SMC::Group::cpu, "cpu"},
      {"GPU", SMC::Group::gpu, "cpu.fill"},
      {"SSD", SMC::Group::ssd, "internaldrive"},
      {"Ortam", SMC::Group::ambient, "thermometer.low"},
  }};

  PanelView(const Monitor& mon, Application& app) : mon_(&mon), app_(&app) {}

  View body() const;

  // Where the fan list stands in the body's column: its children
  // [first, first + count). A front end with less room than the panel needs
  // scrolls this part and keeps the rest (header, tiles, note, footer) in
  // view. Empty without an SMC; the no-fans text when there are no fans.
  struct Range {
    std::size_t first = 0;
    std::size_t count = 0;
  };
  Range fanList() const;

  // The two-by-two block of tiles for one summary.
  static View tileGrid(const TempSummary& summary);
  static View tempTile(std::string label, double value, std::string symbol);
  // The fan's speed between its limits, in [0, 1]; 0 when the limits are
  // missing, equal or not numbers.
  static double fanFraction(const FanReading& fan);

 private:
  View header() const;
  static View fanBlock(const FanReading& fan);

  const Monitor* mon_;
  Application* app_;
};

// One tile per group, in the groups' order: CPU and GPU, then SSD and ambient.
static_assert([] {
  for (std::size_t i = 0; i < PanelView::kTiles.size(); ++i) {
    if (PanelView::kTiles[i].group != static_cast<SMC::Group>(i)) return false;
  }
  return PanelView::kTiles.size() == 4;
}());

}  // namespace quimbo::ui

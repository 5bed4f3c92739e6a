#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "tests/MonitorHarness.h"
#include "tests/QuitRecorder.h"
#include "ui/PanelView.h"

namespace quimbo::ui {
namespace {

using testing::QuitRecorder;
using Contents = std::vector<std::string>;

// What a view shows, in reading order: texts, [symbols], <buttons>, bars by
// their fraction, "--" for a divider.
void collect(const View& view, Contents& out) {
  if (const auto* text = view.as<Text>()) out.push_back(text->string());
  if (const auto* image = view.as<Image>()) out.push_back("[" + image->systemName + "]");
  if (const auto* label = view.as<Label>()) {
    out.push_back("[" + label->systemImage + "] " + label->title.string());
  }
  if (const auto* bar = view.as<ProgressView>())
    out.push_back("bar " + std::to_string(bar->fraction()));
  if (view.as<Divider>()) out.push_back("--");
  if (const auto* button = view.as<Button>()) out.push_back("<" + button->title.string() + ">");
  if (const Children* children = view.children()) {
    for (const View& child : *children) collect(child, out);
  }
}

Contents contents(const View& view, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  Contents out;
  const Children& column = *view.children();
  for (std::size_t i = from; i < std::min(to, column.size()); ++i) {
    collect(column[i], out);
  }
  return out;
}

// Each form of the panel shows its readings, or the notice, in order; the
// fan list it names for scrolling is exactly its fans, or the no-fans text.
TEST(PanelView, EachFormShowsItsReadingsInOrderAndNamesItsFanList) {
  constexpr const char* kTwoFans = R"(FNum "ui8 " 02
F0Ac "flt " = 1999.7
F0Mn "flt " = 1000
F0Mx "flt " = 5000
F1Ac "flt " 00 00 c0 7f
F1Mn "flt " = -0.5
F1Mx "flt " 00 00 80 7f
Tp01 "flt " = 69.99
Tg0f "flt " = 90.6
Ts0S "flt " = 41.5
)";
  const Contents brand = {"[fanblades.fill]", "Quimbo"};
  const Contents end = {"--",
                        "[lock.fill]",
                        "Fan kontrolü Apple Silicon'da donanımsal olarak kilitli — Quimbo "
                        "izleme yapar.",
                        "--",
                        "her 2 sn güncellenir",
                        "<Çıkış>"};
  struct Case {
    const char* machine;   // nullptr: no SMC
    Contents above, fans;  // above the fans: the header's figure, the tiles or the notice
    std::optional<Color> figure;
  };
  const Case cases[] = {
      {kTwoFans,
       {"90°C", "[cpu]", "CPU", "69°C", "[cpu.fill]", "GPU", "90°C", "[internaldrive]", "SSD",
        "41°C", "[thermometer.low]", "Ortam", "—", "--"},
       {"[fanblades]", "Fan 1", "1999 RPM", "bar 0.249925", "1000–5000 RPM", "[fanblades]", "Fan 2",
        "0 RPM", "bar 0.000000", "0–0 RPM"},  // NaN, -0.5 and +Inf rpm are no reading
       kRed},
      {"",
       {"0°C", "[cpu]", "CPU", "—", "[cpu.fill]", "GPU", "—", "[internaldrive]", "SSD", "—",
        "[thermometer.low]", "Ortam", "—", "--"},
       {"Fan yok (fansız model)"},
       kGreen},
      {nullptr, {"[exclamationmark.triangle] SMC'ye erişilemedi"}, {}, std::nullopt},
  };
  for (const Case& c : cases) {
    testing::MonitorHarness sampled(c.machine ? c.machine : "");
    testing::NoSmcHarness absent;
    const auto mon = c.machine ? sampled.make() : absent.make();
    QuitRecorder app;
    const PanelView view(*mon, app);
    const View panel = view.body();
    const PanelView::Range fans = view.fanList();
    const std::string what = c.machine ? c.machine : "no SMC";

    Contents before = brand;
    before.insert(before.end(), c.above.begin(), c.above.end());
    EXPECT_EQ(contents(panel, 0, fans.first), before) << what;
    EXPECT_EQ(contents(panel, fans.first, fans.first + fans.count), c.fans) << what;
    EXPECT_EQ(contents(panel, fans.first + fans.count), end) << what;

    const View& figure = panel.children()->front().children()->back();
    std::optional<Color> shown;
    if (const auto* style = figure.find<modifier::ForegroundStyle>()) {
      shown = std::get<Color>(style->style);
    }
    EXPECT_EQ(shown, c.figure) << what << ": the header follows the colour rule";

    panel.children()->back().children()->back().as<Button>()->action();
    EXPECT_EQ(app.quits, 1) << "Çıkış ends the application";
  }
}

// The fan's fraction, and the bar's own, stay within [0, 1].
TEST(PanelView, FanFractionStaysWithinTheBar) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    double rpm, min, max, fraction;
  };
  const Case cases[] = {
      {1999.7, 1000, 5000, 999.7 / 4000},
      {800, 1000, 5000, 0},
      {6000, 1000, 5000, 1},
      {1000, 0, 0, 0},
      {3000, 3000, 3000, 0},
      {kNaN, 1000, 5000, 0},
      {2000, kNaN, 5000, 0},
      {kInf, 1000, 5000, 1},
      {2000, -kInf, kInf, 0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(PanelView::fanFraction({0, c.rpm, c.min, c.max}), c.fraction)
        << c.rpm << " between " << c.min << " and " << c.max;
  }
  const std::pair<ProgressView, double> bars[] = {
      {{3, 2}, 1}, {{-1, 2}, 0}, {{1, 0}, 0}, {{kNaN, 1}, 0}, {{1, 4}, 0.25}};
  for (const auto& [bar, fraction] : bars) {
    EXPECT_EQ(bar.fraction(), fraction) << bar.value << " of " << bar.total;
  }
}

}  // namespace
}  // namespace quimbo::ui

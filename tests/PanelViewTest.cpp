#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/MonitorHarness.h"
#include "tests/QuitRecorder.h"
#include "ui/PanelView.h"
#include "ui/QuimboApp.h"

namespace quimbo::ui {
namespace {

using testing::QuitRecorder;

// The panel's top-level elements, one line each.
std::vector<std::string> outline(const View& panel) {
  std::vector<std::string> lines;
  for (const View& child : *panel.children()) {
    const std::string text = describe(child);
    lines.push_back(text.substr(0, text.find('\n')));
  }
  return lines;
}

const Button& quitButton(const View& panel) {
  return *panel.children()->back().children()->back().as<Button>();
}

constexpr const char* kTwoFans = R"(FNum "ui8 " 02
F0Ac "flt " = 1999.7
F0Mn "flt " = 1000
F0Mx "flt " = 5000
F1Ac "flt " = 2500
Tp01 "flt " = 69.99
Ts0S "flt " = 41.5
)";

TEST(PanelView, TwoFansShowEveryReadingInOrder) {
  testing::MonitorHarness h(kTwoFans);
  const auto mon = h.make();
  QuitRecorder app;
  const View panel = PanelView(*mon, app).body();
  const std::string brand = "sRGB(0.13, 0.66, 0.95, 1)";
  const auto tile = [](const char* symbol, const char* label, const char* value) {
    return std::string(
               "    HStack(alignment: center, spacing: 8) .padding(8) "
               ".background(green.opacity(0.1)) "
               ".clipShape(RoundedRectangle(cornerRadius: 8, style: continuous))\n"
               "      Image systemName: ") +
           symbol + " .foregroundStyle(green) .frame(width: 18)\n" +
           "      VStack(alignment: leading, spacing: 0)\n        Text verbatim \"" + label +
           "\" .font(caption2) .foregroundStyle(secondary)\n        Text " + value +
           " .font(callout) .bold() .monospacedDigit()\n      Spacer\n";
  };
  const auto fan = [&](const char* n, const char* rpm, const char* fraction, const char* range) {
    return "  VStack(alignment: leading, spacing: 3)\n"
           "    HStack(alignment: center, spacing: default)\n"
           "      Image systemName: fanblades .foregroundStyle(" +
           brand + ")\n      Text \"Fan " + n + "\" (key \"Fan %lld\") .font(subheadline)\n" +
           "      Spacer\n      Text \"" + rpm +
           " RPM\" (key \"%lld RPM\") .font(subheadline) .monospacedDigit() .bold()\n" +
           "    ProgressView(value: " + fraction + ", total: 1) .tint(" + brand + ")\n" +
           "    Text \"" + range +
           " RPM\" (key \"%lld–%lld RPM\") .font(caption2) .foregroundStyle(secondary)\n";
  };
  EXPECT_EQ(describe(panel),
            R"(VStack(alignment: leading, spacing: 12) .padding(12) .frame(width: 260)
  HStack(alignment: center, spacing: default)
    HStack(alignment: center, spacing: 8)
      Image systemName: fanblades.fill .foregroundStyle()" +
                brand + R"()
      Text verbatim "Quimbo" .font(headline)
    Spacer
    Text "69°C" (key "%lld°C") .font(title3) .bold() .monospacedDigit() .foregroundStyle(green)
  LazyVGrid(columns: [flexible(10...inf), flexible(10...inf)], alignment: center, spacing: 8)
)" + tile("cpu", "CPU", R"("69°C" (key "%lld°C"))") +
                tile("cpu.fill", "GPU", R"("—")") +
                tile("internaldrive", "SSD", R"("41°C" (key "%lld°C"))") +
                tile("thermometer.low", "Ortam", R"("—")") + "  Divider\n" +
                fan("1", "1999", "0.249925", "1000–5000") + fan("2", "2500", "0", "0–0") +
                R"(  Divider
  HStack(alignment: center, spacing: 6) .foregroundStyle(secondary)
    Image systemName: lock.fill .font(caption2)
    Text "Fan kontrolü Apple Silicon'da donanımsal olarak kilitli — Quimbo izleme yapar." .font(caption2)
  Divider
  HStack(alignment: center, spacing: default)
    Text "her 2 sn güncellenir" .font(caption2) .foregroundStyle(secondary)
    Spacer
    Button "Çıkış"
)");
  quitButton(panel).action();
  EXPECT_EQ(app.quits, 1) << "Çıkış ends the application";
}

// The outline of each form of the panel: the header, the readings or the
// notice, the fan list, then the note and the footer, each after a divider.
TEST(PanelView, EachFormOutlinesItsReadingsAndFanList) {
  struct Case {
    const char* machine;  // nullptr: no SMC
    std::size_t first, count;
    const char* readings;
    const char* firstFanLine;
    std::size_t headerParts;
  };
  const char* grid =
      "LazyVGrid(columns: [flexible(10...inf), flexible(10...inf)], alignment: center, spacing: 8)";
  const Case cases[] = {
      {kTwoFans, 3, 2, grid, "VStack(alignment: leading, spacing: 3)", 3},
      {"Tp01 \"flt \" = 48\n", 3, 1, grid,
       "Text \"Fan yok (fansız model)\" .font(caption) .foregroundStyle(secondary)", 3},
      {nullptr, 2, 0,
       "Label \"SMC'ye erişilemedi\" systemImage: exclamationmark.triangle "
       ".foregroundStyle(orange)",
       "Divider", 2},  // the brand mark with nothing on its right
  };
  const std::vector<std::string> end = {
      "Divider", "HStack(alignment: center, spacing: 6) .foregroundStyle(secondary)", "Divider",
      "HStack(alignment: center, spacing: default)"};
  for (const Case& c : cases) {
    std::unique_ptr<testing::MonitorHarness> sampled;
    testing::NoSmcHarness absent;
    if (c.machine) sampled = std::make_unique<testing::MonitorHarness>(c.machine);
    const auto mon = sampled ? sampled->make() : absent.make();
    QuitRecorder app;
    const PanelView view(*mon, app);
    const PanelView::Range fans = view.fanList();
    const View panel = view.body();
    const auto lines = outline(panel);
    EXPECT_EQ(fans.first, c.first);
    EXPECT_EQ(fans.count, c.count);
    ASSERT_LT(fans.first + fans.count, lines.size());
    EXPECT_EQ(lines[0], "HStack(alignment: center, spacing: default)");
    EXPECT_EQ(lines[1], c.readings);
    EXPECT_EQ(lines[2], "Divider");
    EXPECT_EQ(lines[fans.first], c.firstFanLine);
    EXPECT_EQ(std::vector(lines.begin() + fans.first + fans.count, lines.end()), end);
    const View& header = panel.children()->front();
    EXPECT_EQ(header.children()->size(), c.headerParts);
    EXPECT_TRUE(header.children()->at(1).as<Spacer>());
  }
}

TEST(PanelView, HeaderTemperatureFollowsTheColourRule) {
  struct Case {
    const char* value;  // of a GPU sensor; nullptr: no sensor
    const char* text;
    Color colour;
  };
  for (const Case& c :
       {Case{"69.99", "69°C", kGreen}, Case{"70.0", "70°C", kOrange}, Case{"89.9", "89°C", kOrange},
        Case{"90.0", "90°C", kRed}, Case{nullptr, "0°C", kGreen}}) {
    testing::MonitorHarness h(c.value ? std::string("Tg0f \"flt \" = ") + c.value + "\n" : "");
    const auto mon = h.make();
    QuitRecorder app;
    const View panel = PanelView(*mon, app).body();
    const View& figure = panel.children()->front().children()->back();
    EXPECT_EQ(figure.as<Text>()->string(), c.text) << c.text;
    EXPECT_EQ(std::get<Color>(figure.find<modifier::ForegroundStyle>()->style), c.colour) << c.text;
  }
}

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
}

TEST(PanelView, OddFanSpeedsRenderAsWholeNumbers) {
  testing::MonitorHarness h(R"(FNum "ui8 " 03
F0Ac "flt " 00 00 c0 7f
F0Mn "flt " = -0.5
F0Mx "flt " 00 00 80 7f
F1Ac "flt " = 12345.9
F2Ac "flt " 00 00 80 ff
)");
  const auto mon = h.make();
  QuitRecorder app;
  const std::string text = describe(PanelView(*mon, app).body());
  EXPECT_NE(text.find("\"0 RPM\""), std::string::npos) << "NaN speed";
  EXPECT_NE(text.find("\"0–9223372036854775807 RPM\""), std::string::npos) << "-0.5 and +inf";
  EXPECT_NE(text.find("\"12345 RPM\""), std::string::npos) << "no grouping separator";
  EXPECT_NE(text.find("\"-9223372036854775808 RPM\""), std::string::npos) << "-inf";
  // The first fan's NaN wins the comparison, as the pass defines the fastest fan.
  EXPECT_EQ(QuimboApp::menuBarLabel(*mon).as<Text>()->string(), "0° · 0");
}

}  // namespace
}  // namespace quimbo::ui

#include <gtest/gtest.h>

#include "platform/terminal/Layout.h"
#include "platform/terminal/Palette.h"
#include "platform/terminal/Unicode.h"
#include "tests/Machines.h"
#include "tests/MonitorHarness.h"
#include "tests/QuitRecorder.h"
#include "ui/Brand.h"
#include "ui/PanelView.h"

namespace quimbo::terminal {
namespace {

Rendering panelOf(const Monitor& mon) {
  testing::QuitRecorder app;
  // The panel frames itself; the proposed width does not matter.
  return render(ui::PanelView(mon, app).body(), 200);
}

TEST(TerminalLayout, TwoFansAtThePanelWidth) {
  testing::MonitorHarness h(testing::kTwoFansMachine);
  const Rendering r = panelOf(*h.make());
  EXPECT_EQ(r.grid.width(), 40);
  EXPECT_EQ(r.grid.text(),
            "  ✻ Quimbo                        91°C\n"
            "    ▣  CPU            ▦  GPU\n"
            "       72°C              91°C\n"
            "    ▭  SSD            ♁  Ortam\n"
            "       41°C              30°C\n"
            "  ────────────────────────────────────\n"
            "  ✣ Fan 1                     1999 RPM\n"
            "  █████████░░░░░░░░░░░░░░░░░░░░░░░░░░░\n"
            "  1000–5000 RPM\n"
            "  ✣ Fan 2                     6000 RPM\n"
            "  ████████████████████████████████████\n"
            "  1000–5000 RPM\n"
            "  ────────────────────────────────────\n"
            "    Fan kontrolü Apple Silicon'da\n"
            "  ⊘ donanımsal olarak kilitli — Quimbo\n"
            "    izleme yapar.\n"
            "  ────────────────────────────────────\n"
            "  her 2 sn güncellenir       [ Çıkış ]\n");
  ASSERT_EQ(r.buttons.size(), 1u);
  EXPECT_EQ(r.buttons[0].row, 17);
  EXPECT_EQ(r.buttons[0].col, 29);
  EXPECT_EQ(r.buttons[0].width, 9);
  EXPECT_EQ(r.columnRows,
            (std::vector<RowSpan>{
                {0, 1}, {1, 4}, {5, 1}, {6, 3}, {9, 3}, {12, 1}, {13, 3}, {16, 1}, {17, 1}}))
      << "header, tiles, divider, two fans, divider, note, divider, footer";

  // Colours and emphasis: the header figure red and bold, tiles tinted by
  // their own temperature, the gauge in the accent, secondary text dim.
  const auto style = [&](int row, int col) { return r.grid.at(row, col).style; };
  EXPECT_EQ(style(0, 34).colour, ui::kRed);
  EXPECT_TRUE(style(0, 34).bold);
  EXPECT_TRUE(style(0, 4).bold) << "the headline font is bold";
  EXPECT_EQ(style(1, 4).colour, ui::kOrange) << "CPU 72";
  EXPECT_EQ(style(1, 22).colour, ui::kRed) << "GPU 91";
  EXPECT_EQ(style(3, 4).colour, ui::kGreen) << "SSD 41";
  EXPECT_TRUE(style(1, 7).dim) << "tile labels are secondary";
  EXPECT_TRUE(style(2, 7).bold) << "tile values are bold";
  EXPECT_EQ(style(7, 2).colour, ui::Brand::accent);
  EXPECT_TRUE(style(7, 30).dim) << "the empty track";
  EXPECT_TRUE(style(15, 6).dim) << "the hardware note";
  EXPECT_FALSE(style(17, 31).dim) << "the button";
}

TEST(TerminalLayout, UnavailableAndFanlessForms) {
  testing::NoSmcHarness noSmc;
  EXPECT_EQ(panelOf(*noSmc.make()).grid.text(),
            "  ✻ Quimbo\n"
            "  ⚠ SMC'ye erişilemedi\n"
            "  ────────────────────────────────────\n"
            "    Fan kontrolü Apple Silicon'da\n"
            "  ⊘ donanımsal olarak kilitli — Quimbo\n"
            "    izleme yapar.\n"
            "  ────────────────────────────────────\n"
            "  her 2 sn güncellenir       [ Çıkış ]\n");

  testing::MonitorHarness fanless("Tp01 \"flt \" = 48\n");
  const std::string text = panelOf(*fanless.make()).grid.text();
  EXPECT_NE(text.find("  ────────────────────────────────────\n"
                      "  Fan yok (fansız model)\n"
                      "  ────────────────────────────────────\n"),
            std::string::npos)
      << text;
}

TEST(TerminalLayout, GaugesFillInProportion) {
  for (const auto& [value, filled] : std::vector<std::pair<double, std::string>>{
           {0.0, ""}, {0.5, "█████"}, {0.25, "██▌"}, {1.0, "██████████"}, {-1.0, ""}}) {
    const Rendering r = render(ui::View(ui::ProgressView{value, 1.0}), 10);
    std::string bar = r.grid.text();
    bar = bar.substr(0, bar.find("░"));
    bar.erase(bar.find_last_not_of('\n') + 1);
    EXPECT_EQ(bar, filled) << value;
  }
}

TEST(TerminalUnicode, WrapsAtWordsAndMeasuresColumns) {
  const auto lines = [](std::string_view text, int width) {
    std::vector<std::string> out;
    for (const auto& line : wrap(decodeUtf8(text), width)) {
      std::string s;
      for (char32_t c : line) appendUtf8(s, c);
      out.push_back(s);
    }
    return out;
  };
  EXPECT_EQ(lines("her 2 sn güncellenir", 10),
            (std::vector<std::string>{"her 2 sn", "güncelleni", "r"}))
      << "a word longer than the line is cut";
  EXPECT_EQ(lines("Fan yok", 40), std::vector<std::string>{"Fan yok"});
  EXPECT_EQ(lines("", 5), std::vector<std::string>{""});
  EXPECT_EQ(columnWidth(decodeUtf8("57° · 2010")), 10);
  EXPECT_EQ(columnWidth(U'界'), 2);
  EXPECT_EQ(decodeUtf8("\xff"
                       "a"),
            U"\uFFFDa")
      << "a malformed byte";
  EXPECT_EQ(decodeUtf8("\xC3"), U"\uFFFD") << "a truncated sequence";
}

TEST(TerminalPalette, NearestXtermColour) {
  EXPECT_EQ(nearest256(33, 168, 242), 39) << "the accent";
  EXPECT_EQ(nearest256(0, 0, 0), 16);
  EXPECT_EQ(nearest256(255, 255, 255), 231);
  EXPECT_EQ(nearest256(128, 128, 128), 244) << "greys come from the ramp";
  const Rgb8 accent = toRgb8(ui::Brand::accent);
  EXPECT_EQ(accent.red, 33);
  EXPECT_EQ(accent.green, 168);
  EXPECT_EQ(accent.blue, 242);
}

}  // namespace
}  // namespace quimbo::terminal

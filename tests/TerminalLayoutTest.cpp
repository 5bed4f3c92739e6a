#include <gtest/gtest.h>

#include "platform/terminal/Layout.h"
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
  // Colours and emphasis: the header figure red and bold, a tile's symbol
  // in its tint, the gauge in the accent, secondary text dim.
  const auto style = [&](int row, int col) { return r.grid.at(row, col).style; };
  EXPECT_EQ(style(0, 34).colour, ui::kRed);
  EXPECT_TRUE(style(0, 34).bold);
  EXPECT_TRUE(style(0, 4).bold) << "the headline font is bold";
  EXPECT_EQ(style(1, 4).colour, ui::kOrange) << "CPU 72";
  EXPECT_TRUE(style(1, 7).dim) << "tile labels are secondary";
  EXPECT_TRUE(style(2, 7).bold) << "tile values are bold";
  EXPECT_EQ(style(7, 2).colour, ui::Brand::accent);
  EXPECT_TRUE(style(7, 30).dim) << "the empty track";
  EXPECT_TRUE(style(15, 6).dim) << "the hardware note";
  EXPECT_FALSE(style(17, 31).dim) << "the button";
}

TEST(TerminalLayout, TheNoticeWithoutAnSmcCarriesItsSymbol) {
  testing::NoSmcHarness noSmc;
  const std::string text = panelOf(*noSmc.make()).grid.text();
  EXPECT_NE(text.find("\n  ⚠ SMC'ye erişilemedi\n"), std::string::npos) << text;
}

TEST(TerminalLayout, GaugesFillInProportion) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "░░░░░░░░░░\n"},  {0.5, "█████░░░░░\n"}, {0.25, "██▌░░░░░░░\n"},
      {0.07, "▊░░░░░░░░░\n"}, {1.0, "██████████\n"}, {-1.0, "░░░░░░░░░░\n"},
  };
  for (const auto& [value, bar] : cases) {
    EXPECT_EQ(render(ui::View(ui::ProgressView{value, 1.0}), 10).grid.text(), bar) << value;
  }
}

TEST(TerminalUnicode, WrapsAtWordsAndMeasuresColumns) {
  EXPECT_EQ(wrap(U"her 2 sn güncellenir", 10),
            (std::vector<std::u32string>{U"her 2 sn", U"güncelleni", U"r"}))
      << "a word longer than the line is cut";
  EXPECT_EQ(columnWidth(U'界'), 2);
  // Each byte of what is not UTF-8 is U+FFFD; the shortest forms of the
  // code points at the edges are not.
  const std::pair<const char*, std::u32string> decoded[] = {
      {"\xff\x61", U"\uFFFDa"},
      {"\xc0\x9b", U"\uFFFD\uFFFD"},  // an escape, overlong
      {"\xe0\x80\xaf", U"\uFFFD\uFFFD\uFFFD"},
      {"\xf0\x8f\xbf\xbf", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xed\xa0\x80", U"\uFFFD\uFFFD\uFFFD"},            // U+D800
      {"\xed\xbf\xbf", U"\uFFFD\uFFFD\uFFFD"},            // U+DFFF
      {"\xf4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},  // U+110000
      {"\xc2\x80\xe0\xa0\x80\xf0\x90\x80\x80", U"\u0080\u0800\U00010000"},
      {"\xed\x9f\xbf\xee\x80\x80\xf4\x8f\xbf\xbf", U"\uD7FF\uE000\U0010FFFF"},
  };
  for (const auto& [text, code] : decoded) EXPECT_EQ(decodeUtf8(text), code) << text;
}

}  // namespace
}  // namespace quimbo::terminal

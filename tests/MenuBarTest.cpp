#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>

#include "platform/terminal/MenuBar.h"
#include "platform/terminal/Unicode.h"
#include "tests/Machines.h"
#include "tests/MonitorHarness.h"
#include "tests/QuitRecorder.h"

namespace quimbo::terminal {
namespace {

using testing::QuitRecorder;

class MenuBarTest : public ::testing::Test {
 protected:
  explicit MenuBarTest(
      const std::string& machine = "FNum \"ui8 \" 01\nF0Ac \"flt \" = 1840\nTp01 \"flt \" = 57.8\n")
      : harness_(machine) {}

  std::vector<std::string> lines(int width = 60, int height = 24) {
    ui::MenuBarExtra scene = app_.body();
    const std::string text = bar_.compose(scene, width, height).text();
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      out.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    return out;
  }
  void press(const MenuBar::Action& action) {
    if (action) action();
  }

  testing::MonitorHarness harness_;
  QuitRecorder quit_;
  ui::QuimboApp app_{[this] { return harness_.make(); }, quit_};
  MenuBar bar_;
};

TEST_F(MenuBarTest, TheLabelEndsTheTopLineAndActivatingDropsThePanelBelowIt) {
  auto screen = lines(60);
  EXPECT_EQ(screen[0], std::string(49, ' ') + "57° · 1840") << "one blank column after it";
  EXPECT_EQ(screen[1], "") << "closed: nothing below the bar";

  press(bar_.key(MenuBar::Key::activate));
  screen = lines(60);
  EXPECT_TRUE(bar_.isOpen());
  std::string border;
  for (int i = 0; i < 40; ++i) border += "─";
  EXPECT_EQ(screen[1], std::string(18, ' ') + "╭" + border + "╮")
      << "a 42-column box against the right edge";
  EXPECT_NE(screen[2].find("Quimbo"), std::string::npos);
  EXPECT_NE(screen[2].find("57°C"), std::string::npos);

  press(bar_.key(MenuBar::Key::escape));
  EXPECT_FALSE(bar_.isOpen());
  EXPECT_EQ(lines(60)[1], "");
}

TEST_F(MenuBarTest, ClicksOpenCloseAndPressQuit) {
  lines(60);
  press(bar_.click(0, 55));
  EXPECT_TRUE(bar_.isOpen()) << "a click on the label";
  auto screen = lines(60);
  press(bar_.click(5, 30));
  EXPECT_TRUE(bar_.isOpen()) << "a click inside the panel";
  press(bar_.click(10, 2));
  EXPECT_FALSE(bar_.isOpen()) << "a click outside it";

  press(bar_.click(0, 55));
  screen = lines(60);
  int row = 0;
  while (screen[static_cast<std::size_t>(row)].find("[ Çıkış ]") == std::string::npos) ++row;
  press(bar_.click(row, 50));
  EXPECT_EQ(quit_.quits, 1);
}

TEST_F(MenuBarTest, ClosingThePanelAnyWayGivesUpTheFocus) {
  struct Way {
    const char* name;
    std::function<MenuBar::Action(MenuBar&)> close;
  };
  const Way ways[] = {
      {"Escape", [](MenuBar& bar) { return bar.key(MenuBar::Key::escape); }},
      {"a click on the label", [](MenuBar& bar) { return bar.click(0, 55); }},
      {"a click outside", [](MenuBar& bar) { return bar.click(20, 2); }},
      {"Tab back and Enter",
       [](MenuBar& bar) {
         bar.key(MenuBar::Key::tab);
         return bar.key(MenuBar::Key::activate);
       }},
  };
  for (const Way& way : ways) {
    press(bar_.key(MenuBar::Key::activate));
    lines();
    press(bar_.key(MenuBar::Key::tab));
    lines();
    press(way.close(bar_));
    EXPECT_FALSE(bar_.isOpen()) << way.name;
    EXPECT_EQ(quit_.quits, 0) << way.name << " pressed Çıkış";
    lines();
    press(bar_.key(MenuBar::Key::activate));
    lines();
    press(bar_.key(MenuBar::Key::activate));
    EXPECT_FALSE(bar_.isOpen()) << way.name << ": the focus outlived the panel";
    EXPECT_EQ(quit_.quits, 0) << way.name << ": the focus outlived the panel";
  }
}

TEST_F(MenuBarTest, ASmallTerminalClipsWithoutFailing) {
  press(bar_.key(MenuBar::Key::activate));
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{5, 3}, {1, 1}, {0, 0}, {30, 10}}) {
    ui::MenuBarExtra scene = app_.body();
    const CellGrid screen = bar_.compose(scene, w, h);
    EXPECT_EQ(screen.width(), w);
    EXPECT_EQ(screen.height(), h);
  }
}

// Twelve fans, 1100 to 2200 rpm: a panel of 48 rows. The keys of fans ten
// and on are the last four characters of what is asked for (10Ac for
// F10Ac), the fastest among them.
std::string twelveFans() {
  std::string machine = "FNum \"ui8 \" 0c\nTp01 \"flt \" = 57.8\n";
  for (int i = 0; i < 12; ++i) {
    const std::string key = SMC::typeStr(SMC::fourCC(Monitor::fanKey(i, Monitor::kActual)));
    machine += key + " \"flt \" = " + std::to_string(1100 + 100 * i) + "\n";
  }
  return machine;
}

class TallPanelTest : public MenuBarTest {
 protected:
  TallPanelTest() : MenuBarTest(twelveFans()) {}
  // The composed screen, one string.
  std::string screen(int height = 40) {
    std::string text;
    for (const std::string& line : lines(80, height)) text += line + "\n";
    return text;
  }
  static bool has(const std::string& screen, const std::string& text) {
    return screen.find(text) != std::string::npos;
  }
};

TEST_F(TallPanelTest, TheFanListScrollsBetweenTheHeaderAndTheFooter) {
  press(bar_.key(MenuBar::Key::activate));
  struct Step {
    const char* what;
    std::function<void(MenuBar&)> input;
    const char *first, *last, *hidden;  // fans shown first and last, and one out of view
    const char* marks;
  };
  const auto key = [](MenuBar::Key k) { return [k](MenuBar& b) { b.key(k); }; };
  const Step steps[] = {
      {"opened", [](MenuBar&) {}, "Fan 1 ", "Fan 9 ", "Fan 10", "▼"},
      {"Down", key(MenuBar::Key::down), "Fan 2 ", "Fan 9 ", "Fan 1 ", "▲▼"},
      {"Page Down", key(MenuBar::Key::pageDown), "Fan 5 ", "Fan 12", "Fan 4 ", "▲"},
      {"the wheel up", [](MenuBar& b) { b.scrollBy(-3); }, "Fan 4 ", "Fan 11", "Fan 12", "▲▼"},
      {"End", key(MenuBar::Key::end), "Fan 5 ", "Fan 12", "Fan 4 ", "▲"},
      {"Down at the end", key(MenuBar::Key::down), "Fan 5 ", "Fan 12", "Fan 4 ", "▲"},
      {"Home", key(MenuBar::Key::home), "Fan 1 ", "Fan 9 ", "Fan 10", "▼"},
  };
  for (const Step& step : steps) {
    step.input(bar_);
    const auto rows = lines(80, 40);
    const std::string all = screen();
    EXPECT_TRUE(has(all, step.first) && has(all, step.last)) << step.what << "\n" << all;
    EXPECT_FALSE(has(all, step.hidden)) << step.what << ": " << step.hidden << "\n" << all;
    EXPECT_TRUE(has(rows[2], "Quimbo") && has(rows[3], "CPU")) << step.what << ": the header";
    EXPECT_TRUE(has(rows[38], "[ Çıkış ]") && has(rows[39], "╰")) << step.what << ": the footer";
    for (const char* mark : {"▲", "▼"}) {
      EXPECT_EQ(has(all, mark), has(step.marks, mark)) << step.what << ": " << mark;
    }
  }

  bar_.key(MenuBar::Key::pageDown);
  press(bar_.key(MenuBar::Key::escape));
  lines(80, 40);
  press(bar_.key(MenuBar::Key::activate));
  EXPECT_TRUE(has(screen(), "Fan 1 ")) << "opens again at the top";
}

TEST_F(TallPanelTest, ThePanelNeverRunsOffTheTerminalNorCoversTheLabel) {
  bar_.key(MenuBar::Key::tab);
  EXPECT_FALSE(bar_.isOpen()) << "Tab does nothing while closed";
  press(bar_.key(MenuBar::Key::activate));
  for (int height = 1; height <= 60; ++height) {
    const auto rows = lines(80, height);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(height));
    EXPECT_TRUE(has(rows[0], "57° · 2200")) << height << " rows";
    // The bar, and the panel's 48 rows in its box: 51 rows show it all. From
    // six rows on, the header and the footer always show, and a mark says
    // that fans are hidden.
    const bool shown = height >= 6;
    if (shown && height <= 51) {
      EXPECT_TRUE(has(rows[2], "Quimbo") && has(rows[rows.size() - 2], "[ Çıkış ]") &&
                  has(rows.back(), "╰"))
          << height << " rows";
    }
    EXPECT_EQ(has(screen(height), "Fan 12"), height >= 49) << height << " rows";
    EXPECT_EQ(has(screen(height), "▼"), shown && height < 51) << height << " rows";
    if (shown) {  // Tab and Enter press Çıkış
      bar_.key(MenuBar::Key::tab);
      lines(80, height);
      press(bar_.key(MenuBar::Key::activate));
      bar_.key(MenuBar::Key::tab);
    }
  }
  EXPECT_EQ(quit_.quits, 55) << "Çıkış pressed at every height from 6 to 60 rows";
}

// The characters of DejaVu Sans Mono, Debian's monospaced font, from its
// character map as fontconfig reads it: "20-7e a0-1c3 ...".
std::set<char32_t> dejaVuSansMono() {
  std::set<char32_t> characters;
  std::FILE* query = ::popen(
      "fc-query --format='%{charset}' /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", "r");
  for (unsigned first = 0, last = 0; query && std::fscanf(query, " %x", &first) == 1;) {
    if (std::fscanf(query, "-%x", &last) != 1) last = first;
    for (unsigned c = first; c <= last; ++c) characters.insert(c);
  }
  if (query) ::pclose(query);
  return characters;
}

TEST(TerminalGlyphs, EveryOneDrawnIsInDejaVuSansMono) {
  const std::set<char32_t> font = dejaVuSansMono();  // empty without fc-query: all fail
  // Gauges ending in each eighth of a cell; every tile, and no SMC at all,
  // each closed, open, and scrolled between both marks.
  std::set<char32_t> drawn;
  const auto draw = [&](const CellGrid& grid) {
    for (const char32_t c : decodeUtf8(grid.text())) drawn.insert(c);
  };
  for (int e = 1; e < 8; ++e) draw(render(ui::View(ui::ProgressView{e / 8.0, 1.0}), 1).grid);
  testing::MonitorHarness fans(testing::kTwoFansMachine);
  testing::NoSmcHarness noSmc;
  for (const std::function<std::shared_ptr<Monitor>()>& make :
       {std::function([&] { return fans.make(); }), std::function([&] { return noSmc.make(); })}) {
    QuitRecorder quit;
    ui::QuimboApp app(make, quit);
    ui::MenuBarExtra scene = app.body();
    MenuBar bar;
    for (const int height : {24, 60, 12}) {
      if (height == 60) bar.key(MenuBar::Key::activate);
      if (height == 12) bar.key(MenuBar::Key::down);
      draw(bar.compose(scene, 80, height));
    }
  }
  drawn.erase(U'\n');
  for (const char32_t c : drawn) {
    EXPECT_TRUE(font.contains(c)) << "U+" << std::hex << static_cast<unsigned>(c);
  }
}

}  // namespace
}  // namespace quimbo::terminal

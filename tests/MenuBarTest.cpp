#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <sstream>

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

  // The composed screen, one string.
  std::string screen(int width, int height) {
    ui::MenuBarExtra scene = app_.body();
    return bar_.compose(scene, width, height).text();
  }
  std::vector<std::string> lines(int width = 60, int height = 24) {
    std::istringstream text(screen(width, height));
    std::vector<std::string> out;
    for (std::string line; std::getline(text, line);) out.push_back(line);
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

TEST_F(MenuBarTest, TheLabelEndsTheTopLineAndThePanelDropsBelowItAgainstTheRightEdge) {
  auto screen = lines(60);
  EXPECT_EQ(screen[0], std::string(49, ' ') + "57° · 1840") << "one blank column after it";
  EXPECT_EQ(screen[1], "") << "closed: nothing below the bar";

  press(bar_.key(MenuBar::Key::activate));
  screen = lines(60);
  std::string border;
  for (int i = 0; i < 40; ++i) border += "─";
  EXPECT_EQ(screen[1], std::string(18, ' ') + "╭" + border + "╮")
      << "a 42-column box against the right edge";
  EXPECT_NE(screen[2].find("57°C"), std::string::npos);
  for (const int size : {5, 1, 0}) lines(size, size);  // clipped, without failing
}

// Sequences of input, each from a closed panel on the 60-column screen: a
// Enter, e Escape, t Tab; clicks L on the label, I inside the panel, O
// outside it, Q on Çıkış.
TEST_F(MenuBarTest, KeysAndClicksOpenAndCloseThePanelAndPressQuit) {
  const auto input = [&](char c, const std::vector<std::string>& screen) {
    if (c == 'a') return bar_.key(MenuBar::Key::activate);
    if (c == 'e') return bar_.key(MenuBar::Key::escape);
    if (c == 't') return bar_.key(MenuBar::Key::tab);
    if (c == 'L') return bar_.click(0, 55);
    if (c == 'I') return bar_.click(5, 30);
    if (c == 'O') return bar_.click(10, 2);
    std::size_t row = 0;
    while (screen[row].find("[ Çıkış ]") == std::string::npos) ++row;
    return bar_.click(static_cast<int>(row), 50);
  };
  struct Case {
    const char* input;
    bool open;
    int quits;
  };
  // Tab does nothing while closed; closing the panel any way gives up the
  // focus, so that Enter opens it again rather than pressing Çıkış.
  const Case cases[] = {{"a", true, 0},      {"aa", false, 0},    {"ae", false, 0},
                        {"L", true, 0},      {"LI", true, 0},     {"LO", false, 0},
                        {"LQ", true, 1},     {"ata", true, 1},    {"taa", false, 0},
                        {"ateaa", false, 0}, {"atLaa", false, 0}, {"atOaa", false, 0},
                        {"attaaa", false, 0}};
  for (const Case& c : cases) {
    bar_ = MenuBar();
    const int before = quit_.quits;
    for (const char* in = c.input; *in; ++in) press(input(*in, lines(60)));
    EXPECT_EQ(bar_.isOpen(), c.open) << c.input;
    EXPECT_EQ(quit_.quits - before, c.quits) << c.input;
  }
}

// Twelve fans (a panel of 48 rows), the twelfth the fastest.
class TallPanelTest : public MenuBarTest {
 protected:
  TallPanelTest() : MenuBarTest(testing::fansMachine(12)) {}
  std::string screen(int height = 40) { return MenuBarTest::screen(80, height); }
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
      {"closed below and opened again: at the top",
       [](MenuBar& b) {
         b.key(MenuBar::Key::pageDown);
         b.key(MenuBar::Key::escape);
         b.key(MenuBar::Key::activate);
       },
       "Fan 1 ", "Fan 9 ", "Fan 10", "▼"},
  };
  for (const Step& step : steps) {
    step.input(bar_);
    const std::string all = screen();
    EXPECT_TRUE(has(all, step.first) && has(all, step.last)) << step.what << "\n" << all;
    EXPECT_FALSE(has(all, step.hidden)) << step.what << ": " << step.hidden << "\n" << all;
    for (const char* mark : {"▲", "▼"}) {
      EXPECT_EQ(has(all, mark), has(step.marks, mark)) << step.what << ": " << mark;
    }
  }
}

TEST_F(TallPanelTest, ThePanelNeverRunsOffTheTerminalNorCoversTheLabel) {
  press(bar_.key(MenuBar::Key::activate));
  for (int height = 1; height <= 60; ++height) {
    const auto rows = lines(80, height);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(height));
    EXPECT_TRUE(has(rows[0], "61° · 2600")) << height << " rows";
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
  QuitRecorder quit;
  ui::QuimboApp apps[] = {{[&] { return fans.make(); }, quit},
                          {[&] { return noSmc.make(); }, quit}};
  for (ui::QuimboApp& app : apps) {
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

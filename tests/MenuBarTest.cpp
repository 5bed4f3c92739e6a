#include <gtest/gtest.h>

#include <functional>

#include "platform/terminal/MenuBar.h"
#include "tests/MonitorHarness.h"
#include "tests/QuitRecorder.h"

namespace quimbo::terminal {
namespace {

using testing::QuitRecorder;

class MenuBarTest : public ::testing::Test {
 protected:
  MenuBarTest() : harness_("FNum \"ui8 \" 01\nF0Ac \"flt \" = 1840\nTp01 \"flt \" = 57.8\n") {}

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

TEST_F(MenuBarTest, TheLabelSitsAtTheRightEndOfTheTopLine) {
  const auto screen = lines(60);
  EXPECT_EQ(screen[0], std::string(49, ' ') + "57° · 1840") << "one blank column after it";
  EXPECT_EQ(screen[1], "") << "closed: nothing below the bar";
}

TEST_F(MenuBarTest, ActivatingOpensThePanelBelowTheLabelAndEscapeClosesIt) {
  press(bar_.key(MenuBar::Key::activate));
  auto screen = lines(60);
  EXPECT_TRUE(bar_.isOpen());
  EXPECT_EQ(
      screen[1], std::string(18, ' ') + "╭" +
                     [] {
                       std::string s;
                       for (int i = 0; i < 40; ++i) s += "─";
                       return s;
                     }() +
                     "╮")
      << "a 42-column box against the right edge";
  EXPECT_NE(screen[2].find("Quimbo"), std::string::npos);
  EXPECT_NE(screen[2].find("57°C"), std::string::npos);

  press(bar_.key(MenuBar::Key::escape));
  EXPECT_FALSE(bar_.isOpen());
  EXPECT_EQ(lines(60)[1], "");

  press(bar_.key(MenuBar::Key::activate));
  press(bar_.key(MenuBar::Key::activate));
  EXPECT_FALSE(bar_.isOpen()) << "a second activation closes it";
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

TEST_F(MenuBarTest, TabFocusesQuitAndEnterPressesIt) {
  press(bar_.key(MenuBar::Key::tab));
  EXPECT_FALSE(bar_.isOpen()) << "Tab does nothing while closed";
  press(bar_.key(MenuBar::Key::activate));
  lines();
  press(bar_.key(MenuBar::Key::tab));
  ui::MenuBarExtra scene = app_.body();
  const CellGrid screen = bar_.compose(scene, 60, 24);
  bool reversed = false;
  for (int r = 1; r < screen.height(); ++r) {
    for (int c = 0; c < screen.width(); ++c) reversed = reversed || screen.at(r, c).style.reverse;
  }
  EXPECT_TRUE(reversed) << "the focused button is highlighted";
  EXPECT_EQ(quit_.quits, 0);
  press(bar_.key(MenuBar::Key::activate));
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

}  // namespace
}  // namespace quimbo::terminal

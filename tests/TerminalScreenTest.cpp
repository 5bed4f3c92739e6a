#include "platform/terminal/TerminalScreen.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "tests/PseudoTerminal.h"
#include "ui/Brand.h"

namespace quimbo::terminal {
namespace {

// A screen on a terminal of the given kind that writes into a file, and
// what it sent since the last look.
struct Sent {
  explicit Sent(const char* term) {
    ::setenv("TERM", term, 1);
    screen.emplace(::fileno(out), in);
  }
  ~Sent() {
    screen.reset();
    std::fclose(out);
    std::fclose(in);
  }
  std::string since() {
    std::string now;
    std::rewind(out);
    for (int c; (c = std::fgetc(out)) != EOF;) now += static_cast<char>(c);
    std::string news = now.substr(all.size());
    all = now;
    return news;
  }
  std::FILE* out = std::tmpfile();
  std::FILE* in = std::fopen("/dev/null", "r");
  std::optional<TerminalScreen> screen;
  std::string all;
};

// What it sends for one cell in each colour: green, orange, red and the accent.
std::string painted(const char* term) {
  Sent sent(term);
  CellGrid grid(4, 1);
  const ui::Color colours[] = {ui::kGreen, ui::kOrange, ui::kRed, ui::Brand::accent};
  for (int col = 0; col < 4; ++col) grid.put(0, col, U'x', {colours[col]});
  sent.screen->paint(grid);
  EXPECT_TRUE(sent.screen->flush()) << "a file takes it all";
  return sent.since();
}

TEST(TerminalScreen, EachColourIsTheNearestTheTerminalHas) {
  const struct {
    const char* term;
    const char* sgr[4];  // before each cell
  } cases[] = {
      {"xterm", {"\033[32m", "\033[33m", "\033[31m", "\033[36m"}},
      {"xterm-256color", {"\033[32m", "\033[38;5;208m", "\033[31m", "\033[38;5;39m"}},
      {"xterm-direct", {"\033[32m", "\033[38:2::255:135:0m", "\033[31m", "\033[38:2::33:168:242m"}},
  };
  for (const auto& c : cases) {
    const std::string sent = painted(c.term);
    for (const char* sgr : c.sgr) {
      EXPECT_NE(sent.find(std::string(sgr) + "x"), std::string::npos) << c.term << ": " << sgr + 1;
    }
  }
}

// A paint sends what differs from the last one: nothing for the same grid; a
// cell that changed, and one that changed back; a wide character whose right
// half was written over and came back; everything after a resize.
TEST(TerminalScreen, OnlyWhatChangedIsSent) {
  Sent out("xterm");
  TerminalScreen& screen = *out.screen;
  CellGrid grid(screen.width(), screen.height());
  for (int col = 0; col < 10; ++col) grid.put(0, col, U'a' + static_cast<char32_t>(col), {});
  grid.put(1, 0, U'界', {});
  const CellGrid first = grid;
  screen.paint(grid);
  EXPECT_NE(out.since().find("abcdefghij"), std::string::npos);

  screen.paint(grid);
  EXPECT_EQ(out.since(), "") << "the same grid again";

  grid.put(0, 4, U'X', {});
  screen.paint(grid);
  EXPECT_NE(out.since().find('X'), std::string::npos);

  grid.put(1, 1, U'y', {});
  screen.paint(grid);
  grid = first;
  screen.paint(grid);
  const std::string sent = out.since();
  EXPECT_NE(sent.find('e'), std::string::npos) << "a cell changed back";
  EXPECT_NE(sent.find("界"), std::string::npos) << "a wide character whose right half came back";

  screen.resize();
  screen.paint(grid);
  EXPECT_NE(out.since().find("abcdefghij"), std::string::npos) << "after a resize";
}

// A stack that overflowed kills the process on a signal stack of its own:
// taken while the screen has the terminal (stack_t's fields come in another
// order on each system), the one before it back afterwards.
TEST(TerminalScreen, TheTerminalIsRescuedOnASignalStackOfItsOwn) {
  const auto [terminal, controller] = testing::pseudoTerminalEnds();
  ASSERT_GE(terminal, 0);
  ::setenv("TERM", "xterm", 1);
  std::FILE* in = ::fdopen(::dup(terminal), "r");
  stack_t before{}, during{}, after{};
  ::sigaltstack(nullptr, &before);
  {
    TerminalScreen screen(terminal, in);
    ::sigaltstack(nullptr, &during);
  }
  ::sigaltstack(nullptr, &after);
  EXPECT_FALSE(during.ss_flags & SS_DISABLE) << "the system refused the signal stack";
  EXPECT_NE(during.ss_sp, before.ss_sp);
  EXPECT_EQ(during.ss_size, 64u * 1024);
  EXPECT_EQ(after.ss_sp, before.ss_sp);
  EXPECT_EQ(after.ss_flags, before.ss_flags);
  std::fclose(in);
  ::close(terminal);
  ::close(controller);
}

}  // namespace
}  // namespace quimbo::terminal

// Building the views from a Monitor, and laying the open panel out for the
// terminal and painting it.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/Laptop.h"
#include "platform/terminal/Layout.h"
#include "platform/terminal/MenuBar.h"
#include "platform/terminal/TerminalScreen.h"

namespace quimbo {
namespace {

void BuildPanel(benchmark::State& state) {
  Laptop laptop;
  ui::MenuBarExtra scene = laptop.app.body();
  for (auto _ : state) benchmark::DoNotOptimize(scene.content.body());
}
BENCHMARK(BuildPanel);

void BuildLabel(benchmark::State& state) {
  Laptop laptop;
  for (auto _ : state) benchmark::DoNotOptimize(ui::QuimboApp::menuBarLabel(laptop.app.mon()));
}
BENCHMARK(BuildLabel);

void BuildAndLayOutPanelForTerminal(benchmark::State& state) {
  Laptop laptop;
  ui::MenuBarExtra scene = laptop.app.body();
  for (auto _ : state) benchmark::DoNotOptimize(terminal::render(scene.content.body(), 80));
}
BENCHMARK(BuildAndLayOutPanelForTerminal);

// The whole screen with the panel open, composed and painted through curses
// into an 80x24 xterm whose output goes nowhere: as a pass that changed
// nothing on it paints it, as a pass that changed one figure does, and
// whole, as after a resize.
enum class Change { nothing, oneFigure, everything };

void ComposeAndPaintOpenPanel(benchmark::State& state, Change change) {
  Laptop laptop;
  ::setenv("TERM", "xterm-256color", 1);
  std::FILE* out = std::fopen("/dev/null", "w");
  std::FILE* in = std::fopen("/dev/null", "r");
  {
    terminal::TerminalScreen screen(fileno(out), in);
    terminal::MenuBar bar;
    bar.key(terminal::MenuBar::Key::activate);
    ui::MenuBarExtra scene = laptop.app.body();
    screen.paint(bar.compose(scene, 80, 24));
    bool flip = false;
    for (auto _ : state) {
      scene = laptop.app.body();
      terminal::CellGrid grid = bar.compose(scene, 80, 24);
      if (change == Change::oneFigure && (flip = !flip)) grid.at(0, 78).glyph = U'9';
      if (change == Change::everything) screen.resize();
      screen.paint(grid);
    }
  }
  std::fclose(out);
  std::fclose(in);
}
BENCHMARK_CAPTURE(ComposeAndPaintOpenPanel, nothingChanged, Change::nothing);
BENCHMARK_CAPTURE(ComposeAndPaintOpenPanel, oneFigureChanged, Change::oneFigure);
BENCHMARK_CAPTURE(ComposeAndPaintOpenPanel, wholeScreen, Change::everything);

}  // namespace
}  // namespace quimbo

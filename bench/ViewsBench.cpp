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
// into an 80x24 xterm whose output goes nowhere.
void ComposeAndPaintOpenPanel(benchmark::State& state) {
  Laptop laptop;
  ::setenv("TERM", "xterm-256color", 1);
  std::FILE* out = std::fopen("/dev/null", "w");
  std::FILE* in = std::fopen("/dev/null", "r");
  {
    terminal::TerminalScreen screen(fileno(out), in);
    terminal::MenuBar bar;
    bar.key(terminal::MenuBar::Key::activate);
    for (auto _ : state) {
      ui::MenuBarExtra scene = laptop.app.body();
      screen.paint(bar.compose(scene, 80, 24));
    }
  }
  std::fclose(out);
  std::fclose(in);
}
BENCHMARK(ComposeAndPaintOpenPanel);

}  // namespace
}  // namespace quimbo

// The desktop render of the open panel, offscreen: a new pass shown in the
// widgets already there, then painted into an image; and the tray icon drawn
// for a new label.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include "bench/Laptop.h"
#include "platform/desktop/TrayIcon.h"
#include "platform/desktop/WidgetRenderer.h"
#include "ui/PanelView.h"

namespace quimbo {
namespace {

QApplication& application() {
  static int argc = 1;
  static char name[] = "quimbo_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

void DesktopRenderOpenPanel(benchmark::State& state) {
  application();
  Laptop laptop;
  Monitor& mon = laptop.app.mon();
  QWidget window;
  desktop::WidgetRenderer renderer(&window);
  renderer.show(ui::PanelView(mon, laptop.quit).body());
  QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    mon.poll();
    renderer.show(ui::PanelView(mon, laptop.quit).body());
    window.render(&image);
  }
}
BENCHMARK(DesktopRenderOpenPanel);

// What a tray icon costs when the label changes: the label drawn at every
// size the icon carries.
void DesktopTrayIcon(benchmark::State& state) {
  application();
  Laptop laptop;
  const ui::View label = ui::QuimboApp::menuBarLabel(laptop.app.mon());
  for (auto _ : state) {
    benchmark::DoNotOptimize(desktop::trayIcon(label));
  }
}
BENCHMARK(DesktopTrayIcon);

}  // namespace
}  // namespace quimbo

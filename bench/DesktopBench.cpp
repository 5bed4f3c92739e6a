// The desktop render of the open panel, offscreen: a new pass shown in the
// widgets already there, then painted into an image.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QWidget>

#include "monitor/Monitor.h"
#include "platform/LinuxServiceManager.h"
#include "platform/MachineFile.h"
#include "platform/ManualRunLoop.h"
#include "platform/SimulatedSmc.h"
#include "platform/desktop/WidgetRenderer.h"
#include "ui/PanelView.h"

namespace quimbo {
namespace {

struct NoQuit final : ui::Application {
  void terminate() override {}
};

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
  SimulatedSmc smc(MachineFile::load(QUIMBO_SOURCE_DIR "/machines/apple-silicon-laptop.machine"));
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  const auto mon = Monitor::make({smc, services, runLoop});
  NoQuit quit;
  QWidget window;
  desktop::WidgetRenderer renderer(&window);
  renderer.show(ui::PanelView(*mon, quit).body());
  QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    mon->poll();
    renderer.show(ui::PanelView(*mon, quit).body());
    window.render(&image);
  }
}
BENCHMARK(DesktopRenderOpenPanel);

}  // namespace
}  // namespace quimbo

// Renders the panel offscreen, as the desktop front end shows it, into a PNG:
// for screenshots and visual checks.
//   quimbo-snapshot MACHINE-FILE OUT.png [--dark]
// With the machine file "none", the panel of a machine without an SMC.

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QWidget>
#include <cstdio>
#include <cstring>
#include <memory>

#include "monitor/Monitor.h"
#include "platform/desktop/BrandLogo.h"
#include "platform/desktop/QtRunLoop.h"
#include "platform/desktop/WidgetRenderer.h"
#include "platform/linux/LinuxServiceManager.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/SimulatedSmc.h"
#include "platform/userclient/AbsentSmc.h"
#include "ui/PanelView.h"

namespace {
// The application as the desktop shows it, with the installed logo; the
// panel's button does nothing in a picture.
struct StillApplication final : quimbo::ui::Application {
  std::optional<quimbo::ui::Logo> logo_ = quimbo::desktop::loadLogo(quimbo::Bundle::main());
  void terminate() override {}
  const std::optional<quimbo::ui::Logo>& logo() const override { return logo_; }
};

QPalette darkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(40, 40, 44));
  p.setColor(QPalette::WindowText, QColor(235, 235, 240));
  p.setColor(QPalette::Base, QColor(30, 30, 34));
  p.setColor(QPalette::Text, QColor(235, 235, 240));
  p.setColor(QPalette::Button, QColor(60, 60, 66));
  p.setColor(QPalette::ButtonText, QColor(235, 235, 240));
  p.setColor(QPalette::Mid, QColor(80, 80, 88));
  return p;
}
}  // namespace

int main(int argc, char** argv) {
  using namespace quimbo;
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MACHINE-FILE|none OUT.png [--dark]\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc > 3 && std::strcmp(argv[3], "--dark") == 0) QApplication::setPalette(darkPalette());

  try {
    std::unique_ptr<UserClient> smc;
    if (std::strcmp(argv[1], "none") == 0) {
      smc = std::make_unique<AbsentSmc>();
    } else {
      smc = std::make_unique<SimulatedSmc>(MachineFile::load(argv[1]));
    }
    LinuxServiceManager services;
    desktop::QtRunLoop runLoop;  // never run: the picture is the first pass
    const auto mon = Monitor::make({*smc, services, runLoop});
    StillApplication app;
    QWidget window;
    window.setAutoFillBackground(true);
    desktop::WidgetRenderer renderer(&window);
    renderer.show(ui::PanelView(*mon, app).body());
    window.adjustSize();
    return window.grab().save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "quimbo-snapshot: %s\n", error.what());
    return 1;
  }
}

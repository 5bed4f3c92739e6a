#include "platform/desktop/DesktopFrontEnd.h"

#include <QApplication>

#include "platform/desktop/BrandLogo.h"
#include "ui/ObservedObject.h"

namespace quimbo::desktop {

DesktopFrontEnd::DesktopFrontEnd(QtRunLoop& loop, const std::optional<Bundle>& bundle)
    : loop_(loop), logo_(loadLogo(bundle)) {}

void DesktopFrontEnd::terminate() { QCoreApplication::quit(); }

int DesktopFrontEnd::run(ui::QuimboApp& app) {
  ui::MenuBarExtra scene = app.body();  // the Monitor is made here, with its first readings
  PanelWindow panel;
  std::unique_ptr<MenuBarItem> item = MenuBarItem::make(
      [&] {
        if (panel.isVisible()) {
          panel.hide();
          return;
        }
        panel.render(scene.content.body(), scene.content.fanList());
        item->preparePanel(panel);
        panel.dropDownFrom(item->anchor());
      },
      [&] { panel.hide(); });
  item->setLabel(scene.label);

  ui::ObservedObject observer(app.mon(), loop_, [&] {
    ui::MenuBarExtra next = app.body();
    // A label that reads as the one shown is not shown again.
    if (next.label != scene.label) item->setLabel(next.label);
    scene = std::move(next);
    if (panel.isVisible()) panel.render(scene.content.body(), scene.content.fanList());
  });
  return QApplication::exec();
}

}  // namespace quimbo::desktop

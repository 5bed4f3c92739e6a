#include "ui/QuimboApp.h"

#include "monitor/WholeNumber.h"

namespace quimbo::ui {

Monitor& QuimboApp::mon() {
  if (!mon_) mon_ = makeMonitor_();
  return *mon_;
}

MenuBarExtra QuimboApp::body() {
  Monitor& monitor = mon();
  return MenuBarExtra{PanelView(monitor, app_), menuBarLabel(monitor), true};
}

View QuimboApp::menuBarLabel(const Monitor& mon) {
  if (!mon.available()) return Image{"thermometer.medium", {}};
  return Text::localized("%lld° · %lld", {wholeNumber(mon.maxTemp()), mon.topRPM()});
}

}  // namespace quimbo::ui

#include "platform/desktop/DesktopFrontEnd.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "ui/ObservedObject.h"

namespace quimbo::desktop {

PanelWindow::PanelWindow()
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), renderer_(this) {
  setWindowTitle(QStringLiteral("Quimbo panel"));
  setAutoFillBackground(true);
}

void PanelWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PanelWindow::render(const ui::View& panel) { renderer_.show(panel); }

void PanelWindow::dropDownFrom(const QRect& anchor) {
  QRect area = QGuiApplication::primaryScreen()
                   ? QGuiApplication::primaryScreen()->availableGeometry()
                   : QRect(0, 0, 1920, 1080);
  if (const QScreen* screen = QGuiApplication::screenAt(anchor.center()))
    area = screen->availableGeometry();
  // Below the item, its left edge under the item's, kept on the screen.
  int x = std::min(anchor.left(), area.right() + 1 - width());
  int y = anchor.bottom() + 1;
  if (y + height() > area.bottom() + 1) y = anchor.top() - height();  // an item at the bottom
  move(std::max(x, area.left()), std::max(y, area.top()));
  QWidget::show();
  raise();
  activateWindow();
}

void DesktopFrontEnd::terminate() { QCoreApplication::quit(); }

int DesktopFrontEnd::run(ui::QuimboApp& app) {
  ui::MenuBarExtra scene = app.body();  // the Monitor is made here, with its first readings
  PanelWindow panel;
  TrayFollower item(
      [&] {
        if (panel.isVisible()) {
          panel.hide();
          return;
        }
        panel.render(scene.content.body());
        panel.dropDownFrom(item.anchor());
      },
      [&] { panel.hide(); });
  item.setLabel(scene.label);

  ui::ObservedObject observer(app.mon(), loop_, [&] {
    scene = app.body();
    item.setLabel(scene.label);
    if (panel.isVisible()) panel.render(scene.content.body());
  });
  return QApplication::exec();
}

}  // namespace quimbo::desktop

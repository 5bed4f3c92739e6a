#pragma once

#include <QObject>
#include <QWidget>

namespace quimbo::desktop {

// Under XWayland a pop-up's pointer grab holds only over X windows: a click
// on a Wayland window or on the bare desktop never reaches it, and the
// pop-up would stay open. While `popup` is shown, a clear window of ours lies
// over the screen beneath it, so that such a click lands on an X window and
// closes the pop-up, as the grab does on an X server. Elsewhere it does
// nothing.
class ClickCatcher final : public QObject {
 public:
  explicit ClickCatcher(QWidget* popup);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* popup_;
  QWidget shield_;
};

}  // namespace quimbo::desktop

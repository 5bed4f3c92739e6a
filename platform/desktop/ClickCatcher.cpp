#include "platform/desktop/ClickCatcher.h"

#include <QEvent>
#include <QScreen>

#include "platform/desktop/XWayland.h"

namespace quimbo::desktop {

ClickCatcher::ClickCatcher(QWidget* popup)
    : QObject(popup),
      popup_(popup),
      shield_(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowDoesNotAcceptFocus) {
  if (!onXWayland()) return;
  shield_.setWindowTitle(QStringLiteral("Quimbo click catcher"));
  shield_.setAttribute(Qt::WA_TranslucentBackground);
  shield_.setAttribute(Qt::WA_ShowWithoutActivating);
  popup->installEventFilter(this);
}

bool ClickCatcher::eventFilter(QObject*, QEvent* event) {
  if (event->type() == QEvent::Show) {
    // Mapped before the pop-up, so that it lies beneath it.
    const QScreen* screen = popup_->screen();
    if (screen != nullptr) shield_.setGeometry(screen->geometry());
    shield_.show();
  } else if (event->type() == QEvent::Hide) {
    shield_.hide();
  }
  return false;
}

}  // namespace quimbo::desktop

#include "platform/desktop/QtRunLoop.h"

#include <QMetaObject>
#include <QTimer>

namespace quimbo::desktop {

std::shared_ptr<RunLoop::Timer> QtRunLoop::scheduleRepeatingTimer(Duration interval,
                                                                  Action action) {
  auto timer = std::make_shared<Timer>(std::max(interval, Duration(1)), std::move(action));
  timers_.push_back(timer);
  auto* qtimer = new QTimer(&context_);
  qtimer->setTimerType(Qt::CoarseTimer);  // lets the system batch wake-ups
  qtimer->setInterval(std::chrono::duration_cast<std::chrono::milliseconds>(timer->interval()));
  QObject::connect(qtimer, &QTimer::timeout, &context_, [raw = timer.get()] { raw->fire(); });
  qtimer->start();
  return timer;
}

void QtRunLoop::post(Action task) {
  QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
}

}  // namespace quimbo::desktop

#include "platform/desktop/QtRunLoop.h"

#include <QTimer>

namespace quimbo::desktop {

QtRunLoop::QtRunLoop() {
  due_.setSingleShot(true);
  due_.setInterval(0);
  QObject::connect(&due_, &QTimer::timeout, &context_, [this] { runTasks(); });
}

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
  tasks_.push_back(std::move(task));
  if (!due_.isActive()) due_.start();
}

void QtRunLoop::runTasks() {
  while (!tasks_.empty()) {
    const Action task = std::move(tasks_.front());
    tasks_.pop_front();
    task();
  }
  // Those posted meanwhile have run.
  due_.stop();
}

}  // namespace quimbo::desktop

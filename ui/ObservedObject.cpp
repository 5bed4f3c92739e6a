#include "ui/ObservedObject.h"

namespace quimbo::ui {

ObservedObject::ObservedObject(Monitor& mon, RunLoop& runLoop, std::function<void()> reevaluate)
    : telling_(std::make_shared<Telling>(Telling{std::move(reevaluate)})) {
  const std::weak_ptr<Telling> weak = telling_;
  subscription_ = mon.objectWillChange().subscribe([&runLoop, weak] {
    const std::shared_ptr<Telling> telling = weak.lock();
    if (!telling || telling->posted) return;
    telling->posted = true;
    runLoop.post([weak] {
      const std::shared_ptr<Telling> telling = weak.lock();
      if (!telling) return;
      // A signal from here on is told anew.
      telling->posted = false;
      telling->reevaluate();
    });
  });
}

}  // namespace quimbo::ui

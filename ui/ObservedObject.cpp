#include "ui/ObservedObject.h"

namespace quimbo::ui {

ObservedObject::ObservedObject(Monitor& mon, RunLoop& runLoop, std::function<void()> reevaluate)
    : reevaluate_(std::make_shared<std::function<void()>>(std::move(reevaluate))) {
  const std::weak_ptr<std::function<void()>> weak = reevaluate_;
  subscription_ = mon.objectWillChange().subscribe([&runLoop, weak] {
    runLoop.post([weak] {
      if (const auto reevaluate = weak.lock()) (*reevaluate)();
    });
  });
}

}  // namespace quimbo::ui

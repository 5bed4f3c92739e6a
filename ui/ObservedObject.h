#pragma once

#include <functional>
#include <memory>

#include "monitor/ChangePublisher.h"
#include "monitor/Monitor.h"
#include "monitor/RunLoop.h"

namespace quimbo::ui {

// How a view follows a Monitor: after every change signal, once the new
// value has been stored, the view is told to evaluate itself again. The
// signal comes before the store, so the telling is posted to the run loop;
// signals that come before it runs (the three of a pass) are told once.
class ObservedObject final {
 public:
  ObservedObject(Monitor& mon, RunLoop& runLoop, std::function<void()> reevaluate);
  ObservedObject(const ObservedObject&) = delete;
  ObservedObject& operator=(const ObservedObject&) = delete;

 private:
  struct Telling {
    std::function<void()> reevaluate;
    bool posted = false;
  };
  // Shared with the posted task, which does nothing once the observer is gone.
  std::shared_ptr<Telling> telling_;
  ChangePublisher::Subscription subscription_;
};

}  // namespace quimbo::ui

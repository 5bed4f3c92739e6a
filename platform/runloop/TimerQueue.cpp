#include "platform/runloop/TimerQueue.h"

#include <algorithm>

namespace quimbo {

std::shared_ptr<RunLoop::Timer> TimerQueue::schedule(Duration now, Duration interval,
                                                     RunLoop::Action action) {
  // A zero or negative interval would fire without end; a millisecond is the floor.
  interval = std::max(interval, Duration(1));
  auto timer = std::make_shared<RunLoop::Timer>(interval, std::move(action));
  entries_.push_back({timer, now + interval});
  return timer;
}

std::optional<TimerQueue::Duration> TimerQueue::nextDue() const {
  if (entries_.empty()) return std::nullopt;
  return std::min_element(entries_.begin(), entries_.end(),
                          [](const Entry& a, const Entry& b) { return a.due < b.due; })
      ->due;
}

void TimerQueue::fireDue(Duration now) {
  // Collected first: an action may schedule more timers.
  std::vector<std::shared_ptr<RunLoop::Timer>> due;
  if (entries_.size() > 1) {  // a sort would take a buffer for one timer too
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.due < b.due; });
  }
  for (Entry& entry : entries_) {
    if (entry.due > now) break;
    const Duration interval = entry.timer->interval();
    entry.due += interval * ((now - entry.due) / interval + 1);
    due.push_back(entry.timer);
  }
  for (const auto& timer : due) timer->fire();
}

}  // namespace quimbo

#include "monitor/Monitor.h"

#include <cmath>
#include <optional>
#include <string>

#include "monitor/WholeNumber.h"

namespace quimbo {

std::shared_ptr<Monitor> Monitor::make(Ports ports) {
  std::shared_ptr<Monitor> monitor(new Monitor(ports));
  RunLoop& runLoop = ports.runLoop;
  const std::weak_ptr<Monitor> weak = monitor;
  // A tick only starts a task; the pass runs later as a job of its own.
  monitor->timer_ = runLoop.scheduleRepeatingTimer(kInterval, [&runLoop, weak] {
    runLoop.post([weak] {
      if (const std::shared_ptr<Monitor> self = weak.lock()) self->poll();
    });
  });
  return monitor;
}

Monitor::Monitor(Ports ports) : smc_(ports.smc), services_(ports.services) {
  available_.set(smc_.open());
  cleanupLeftoverHelper();
  if (available()) poll();
}

void Monitor::cleanupLeftoverHelper() {
  // A failure (typically: no such daemon was ever registered) is dropped.
  (void)services_.daemonService(kHelperPlist)->unregister();
}

std::string Monitor::fanKey(std::int64_t index, std::string_view suffix) {
  std::string key = "F" + std::to_string(index);
  key += suffix;
  return key;
}

std::int64_t Monitor::fanCount() {
  const double reported = smc_.number(kFanCountKey).value_or(0.0);
  if (!std::isfinite(reported)) return 0;
  const std::int64_t count = wholeNumber(reported);
  return count >= 0 && count <= kMaxFans ? count : 0;
}

void Monitor::poll() {
  if (!available()) return;

  const std::int64_t count = fanCount();
  std::vector<FanReading> fans;
  fans.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const double rpm = smc_.number(fanKey(i, kActual)).value_or(0.0);
    const double min = smc_.number(fanKey(i, kMinimum)).value_or(0.0);
    const double max = smc_.number(fanKey(i, kMaximum)).value_or(0.0);
    fans.push_back(FanReading{i, rpm, min, max});
  }
  fans_.set(std::move(fans));

  TempSummary summary;
  for (const SMC::Temp& t : smc_.temperatures()) {
    const std::optional<SMC::Group> group = SMC::groupOf(t.label);
    if (!group) continue;
    double& highest = summary.*TempSummary::field(*group);
    if (highest <= t.celsius) highest = t.celsius;
  }
  summary_.set(summary);
  maxTemp_.set(summary.cpu <= summary.gpu ? summary.gpu : summary.cpu);
}

std::int64_t Monitor::topRPM() const {
  const std::vector<FanReading>& all = fans();
  if (all.empty()) return 0;
  double top = all.front().rpm;
  for (const FanReading& fan : all) {
    if (top < fan.rpm) top = fan.rpm;
  }
  return wholeNumber(top);
}

}  // namespace quimbo

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

std::int64_t Monitor::fanCount(SMC& smc) {
  const double reported = smc.number(kFanCountKey).value_or(0.0);
  if (!std::isfinite(reported)) return 0;
  const std::int64_t count = wholeNumber(reported);
  return count >= 0 && count <= kMaxFans ? count : 0;
}

std::optional<double> Monitor::speed(SMC& smc, std::int64_t index, std::string_view suffix) {
  const std::optional<double> rpm = smc.number(fanKey(index, suffix));
  if (!rpm || !std::isfinite(*rpm) || *rpm < 0) return std::nullopt;
  return *rpm + 0.0;  // -0 is 0
}

std::vector<Monitor::FanSample> Monitor::readFans(SMC& smc) {
  const std::int64_t count = fanCount(smc);
  std::vector<FanSample> fans;
  fans.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count; ++i) {
    const std::optional<double> rpm = speed(smc, i, kActual);
    const std::optional<double> min = speed(smc, i, kMinimum);
    const std::optional<double> max = speed(smc, i, kMaximum);
    fans.push_back(FanSample{i, rpm, min, max});
  }
  return fans;
}

TempSummary Monitor::summarise(const std::vector<SMC::Temp>& temperatures) {
  TempSummary summary;
  for (const SMC::Temp& t : temperatures) {
    const std::optional<SMC::Group> group = SMC::groupOf(t.label);
    if (!group) continue;
    double& highest = summary.*TempSummary::field(*group);
    if (highest <= t.celsius) highest = t.celsius;
  }
  return summary;
}

void Monitor::poll() {
  if (!available()) return;

  std::vector<FanReading> fans;
  for (const FanSample& fan : readFans(smc_)) fans.push_back(fan.reading());
  fans_.set(std::move(fans));

  // The temperatures are read once the fans are published.
  const TempSummary summary = summarise(smc_.temperatures());
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

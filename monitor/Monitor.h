#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/ChangePublisher.h"
#include "monitor/FanReading.h"
#include "monitor/RunLoop.h"
#include "monitor/ServiceManager.h"
#include "monitor/TempSummary.h"
#include "smc/SMC.h"

namespace quimbo {

// The one observable object: owns the SMC connection, samples it at
// construction and every 2 seconds, and publishes what the views show.
class Monitor final {
 public:
  struct Ports {
    UserClient& smc;
    ServiceManager& services;
    RunLoop& runLoop;
  };

  static constexpr RunLoop::Duration kInterval = std::chrono::milliseconds(2000);
  static constexpr std::string_view kHelperPlist = "com.zelprin.quimbo.helper.plist";
  // The keys a pass reads: the fan count, and per fan its actual, minimum
  // and maximum speed ("F0Ac", "F12Mx").
  static constexpr std::string_view kFanCountKey = "FNum";
  static constexpr std::string_view kActual = "Ac";
  static constexpr std::string_view kMinimum = "Mn";
  static constexpr std::string_view kMaximum = "Mx";
  static std::string fanKey(std::int64_t index, std::string_view suffix);
  // The fan count is an 8-bit key: a larger count is a corrupt answer.
  static constexpr std::int64_t kMaxFans = 255;

  // One fan as the SMC answered it: nothing where it gave no value, or one
  // that is no speed. A speed is a finite number of revolutions per minute,
  // at least 0: a negative one, NaN or an infinity comes from an SMC or a
  // driver that is wrong, and is no reading, so that the panel and the
  // exporter, which both take their fans from here, agree on it.
  struct FanSample {
    std::int64_t id;
    std::optional<double> rpm;
    std::optional<double> min;
    std::optional<double> max;
    FanReading reading() const { return {id, rpm.value_or(0), min.value_or(0), max.value_or(0)}; }
  };
  // The two halves of a pass, for whoever samples an SMC at a pace of its
  // own: every fan's speeds, in index order, and the highest temperature of
  // each group.
  static std::vector<FanSample> readFans(SMC& smc);
  static TempSummary summarise(const std::vector<SMC::Temp>& temperatures);

  // Opens the SMC, removes the leftover helper daemon, runs the first pass
  // when the SMC is available, and schedules the sampling timer. The timer
  // and its tasks reach the Monitor only through a weak reference.
  static std::shared_ptr<Monitor> make(Ports ports);

  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  ChangePublisher& objectWillChange() { return objectWillChange_; }

  bool available() const { return available_.get(); }
  const std::vector<FanReading>& fans() const { return fans_.get(); }
  TempSummary summary() const { return summary_.get(); }
  double maxTemp() const { return maxTemp_.get(); }
  // The fastest fan's speed as a whole number; 0 without fans.
  std::int64_t topRPM() const;

  // One sampling pass; does nothing while the SMC is unavailable.
  void poll();

 private:
  explicit Monitor(Ports ports);
  void cleanupLeftoverHelper();
  static std::int64_t fanCount(SMC& smc);
  // The speed of fan `index` under the key with `suffix`, if it is one.
  static std::optional<double> speed(SMC& smc, std::int64_t index, std::string_view suffix);

  ChangePublisher objectWillChange_;
  Published<bool> available_{objectWillChange_, true};
  Published<std::vector<FanReading>> fans_{objectWillChange_, {}};
  Published<TempSummary> summary_{objectWillChange_, {}};
  Published<double> maxTemp_{objectWillChange_, 0.0};
  SMC smc_;
  ServiceManager& services_;
  // The sampling timer, held for as long as the Monitor lives. Nothing reads
  // it: the timer is never stopped, and the run loop keeps it ticking.
  std::shared_ptr<RunLoop::Timer> timer_;
};

}  // namespace quimbo

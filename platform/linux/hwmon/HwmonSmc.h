#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "platform/SmcService.h"
#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/SensorMap.h"

namespace quimbo {

// The AppleSMC user client of a Linux machine, over the kernel's
// hardware-monitoring interface. The service exists when the hwmon devices
// offer at least one temperature or fan. Key information is answered from
// the key table; reading a key's bytes reads the attributes behind it and
// gives the highest (SensorMap.h tells which).
// Values are "flt " (°C, rpm), the fan count "ui8 ". Devices that come or go
// are picked up by a rescan at most every `rescanInterval`.
class HwmonSmc final : public SmcService {
 public:
  static constexpr std::chrono::seconds kRescanInterval{5};

  explicit HwmonSmc(std::filesystem::path root, Clock now = std::chrono::steady_clock::now,
                    std::chrono::steady_clock::duration rescanInterval = kRescanInterval);
  ~HwmonSmc() override;

 private:
  struct Key;
  // The lookup scans the devices: the service exists when they offer any
  // temperature or fan.
  bool present() override;
  void answer(const SMC::Param& request, SMC::Param& response) override;
  void rescan();
  void rescanWhenDue();

  std::filesystem::path root_;
  Clock now_;
  std::chrono::steady_clock::duration rescanInterval_;
  std::chrono::steady_clock::time_point scannedAt_;
  hwmon::KeyPlan plan_;
  bool found_ = false;
  std::map<std::uint32_t, std::unique_ptr<Key>> keys_;
};

}  // namespace quimbo

#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "platform/hwmon/AttributeFile.h"
#include "platform/hwmon/SensorMap.h"
#include "smc/UserClient.h"

namespace quimbo {

// The AppleSMC user client of a Linux machine, over the kernel's
// hardware-monitoring interface. The service exists when the hwmon devices
// offer at least one temperature or fan. Key information is answered from
// the key table; reading a key's bytes reads the one attribute behind it.
// Values are "flt " (°C, rpm), the fan count "ui8 ". Devices that come or go
// are picked up by a rescan at most every `rescanInterval`.
class HwmonSmc final : public UserClient {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::seconds kRescanInterval{5};
  static constexpr std::uint8_t kKeyNotFound = 0x84;
  static constexpr std::uint8_t kKeyNotReadable = 0x85;

  explicit HwmonSmc(std::filesystem::path root, Clock now = std::chrono::steady_clock::now,
                    std::chrono::steady_clock::duration rescanInterval = kRescanInterval);
  ~HwmonSmc() override;

  Matching serviceMatching(const char* className) override;
  Service getMatchingService(Matching matching) override;
  Status serviceOpen(Service service, Task owningTask, std::uint32_t type,
                     Connection* connection) override;
  Status callStructMethod(Connection connection, std::uint32_t selector, const void* input,
                          std::size_t inputSize, void* output, std::size_t* outputSize) override;
  Status objectRelease(Service object) override;
  Task ownTask() const override { return kOwnTask; }

 private:
  static constexpr Service kService = 0x4d01;
  static constexpr Connection kConnection = 0x4d02;
  static constexpr Task kOwnTask = 0x4d03;

  struct Key;
  void rescan();
  void rescanWhenDue();

  std::filesystem::path root_;
  Clock now_;
  std::chrono::steady_clock::duration rescanInterval_;
  std::chrono::steady_clock::time_point scannedAt_;
  hwmon::KeyPlan plan_;
  bool found_ = false;
  std::map<std::uint32_t, std::unique_ptr<Key>> keys_;
  bool open_ = false;
};

}  // namespace quimbo

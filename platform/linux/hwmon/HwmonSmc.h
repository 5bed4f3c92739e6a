#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/SensorMap.h"
#include "platform/process/Diagnostics.h"
#include "platform/userclient/SmcService.h"

namespace quimbo {

// The AppleSMC user client of a Linux machine, over the kernel's
// hardware-monitoring interface. The service exists when the hwmon devices
// offer at least one temperature or fan. Key information is answered from
// the key table; reading a key's bytes reads the attributes behind it and
// gives the highest plausible reading (SensorMap.h tells which).
// Values are "flt " (°C, rpm), the fan count "ui8 ". Devices that come or go
// are picked up by a rescan at most every `rescanInterval`.
//
// Attribute files are kept open, but never so many that the process runs
// short of file descriptors: every key gets its first file before any key
// its second, and what is left out is reported once (to `diagnostics`) and
// tried again at each rescan. A rescan that cannot read the tree whole for
// want of descriptors leaves the keys as they were.
class HwmonSmc final : public SmcService {
 public:
  static constexpr std::chrono::seconds kRescanInterval{5};
  // Descriptors left for the rest of the program, of the soft limit; half of
  // it where the limit is below twice this.
  static constexpr std::size_t kSpareDescriptors = 64;

  HwmonSmc(std::filesystem::path root, Diagnostics& diagnostics,
           Clock now = std::chrono::steady_clock::now,
           std::chrono::steady_clock::duration rescanInterval = kRescanInterval);
  ~HwmonSmc() override;

 private:
  struct Key;
  // The lookup scans the devices: the service exists when they offer any
  // temperature or fan.
  bool present() override;
  void answer(const SMC::Param& request, SMC::Param& response) override;
  void rescan();
  std::map<std::string, hwmon::AttributeFile> takeOpenFiles();
  void openFiles(std::map<std::string, hwmon::AttributeFile>& kept);
  void rescanWhenDue();
  void reportOnce(const std::string& what);

  std::filesystem::path root_;
  Diagnostics& diagnostics_;
  bool reported_ = false;
  std::size_t leftOut_ = 0;  // attribute files not opened at the last rescan
  Clock now_;
  std::chrono::steady_clock::duration rescanInterval_;
  std::chrono::steady_clock::time_point scannedAt_;
  hwmon::KeyPlan plan_;
  bool found_ = false;
  std::map<std::uint32_t, std::unique_ptr<Key>> keys_;
};

}  // namespace quimbo

#include "platform/linux/hwmon/HwmonSmc.h"

#include <algorithm>
#include <cstring>

#include "monitor/Monitor.h"
#include "smc/SMC.h"

namespace quimbo {

namespace {

constexpr double kMillidegrees = 1000.0;

void putFloat(SMC::Param& record, double value) {
  const auto bytes = SmcService::fltBytes(static_cast<float>(value));
  std::copy(bytes.begin(), bytes.end(), record.bytes.begin());
}

}  // namespace

// A key: the fan count (no files), or attributes kept open.
struct HwmonSmc::Key {
  std::uint32_t type;
  std::uint32_t size;
  hwmon::KeySource source;
  std::vector<hwmon::AttributeFile> files;
  bool failed = false;  // a read failed: reopen at the next rescan

  // The highest value of the files that read; none when none does.
  std::optional<long long> read() {
    std::optional<long long> highest;
    for (hwmon::AttributeFile& file : files) {
      const std::optional<long long> value = file.read();
      failed = failed || !value;
      if (value && (!highest || *highest < *value)) highest = value;
    }
    return highest;
  }
};

HwmonSmc::HwmonSmc(std::filesystem::path root, Clock now,
                   std::chrono::steady_clock::duration rescanInterval)
    : root_(std::move(root)), now_(std::move(now)), rescanInterval_(rescanInterval) {}

HwmonSmc::~HwmonSmc() = default;

bool HwmonSmc::present() {
  rescan();
  return found_;
}

void HwmonSmc::rescan() {
  scannedAt_ = now_();
  const std::vector<hwmon::Device> devices = hwmon::scan(root_);
  found_ = !devices.empty();
  hwmon::KeyPlan plan = hwmon::mapSensors(devices);
  const bool anyFailed = std::any_of(keys_.begin(), keys_.end(),
                                     [](const auto& entry) { return entry.second->failed; });
  if (plan == plan_ && found_ == !keys_.empty() && !anyFailed) return;  // nothing came or went

  // Attributes that stay keep their open files, unless a read of their key
  // failed: the device may have gone and come back since.
  std::map<std::string, hwmon::AttributeFile> kept;
  for (auto& [code, key] : keys_) {
    if (key->failed) continue;
    for (std::size_t i = 0; i < key->files.size(); ++i) {
      kept.emplace(key->source.paths[i], std::move(key->files[i]));
    }
  }
  keys_.clear();
  for (const auto& [name, source] : plan.keys) {
    auto key = std::make_unique<Key>(Key{SMC::fourCC("flt "), 4, source, {}});
    for (const std::string& path : source.paths) {
      if (const auto file = kept.find(path); file != kept.end()) {
        key->files.push_back(std::move(file->second));
      } else {
        key->files.emplace_back(path);
      }
    }
    keys_.emplace(SMC::fourCC(name), std::move(key));
  }
  if (found_) {
    keys_.emplace(SMC::fourCC(Monitor::kFanCountKey),
                  std::make_unique<Key>(Key{SMC::fourCC("ui8 "), 1, {}, {}}));
  }
  plan_ = std::move(plan);
}

void HwmonSmc::rescanWhenDue() {
  if (now_() - scannedAt_ >= rescanInterval_) rescan();
}

void HwmonSmc::answer(const SMC::Param& request, SMC::Param& response) {
  // The fan count opens every pass: a good moment to look for new devices.
  if (request.key == SMC::fourCC(Monitor::kFanCountKey)) rescanWhenDue();

  const auto found = keys_.find(request.key);
  if (found == keys_.end()) {
    response.result = kKeyNotFound;
    return;
  }
  Key& key = *found->second;
  if (request.command == SMC::kReadKeyInfo) {
    response.keyInfo = {key.size, key.type, 0, {}};
  } else if (key.files.empty()) {
    response.bytes[0] = static_cast<std::uint8_t>(plan_.fanCount);
  } else if (const std::optional<long long> raw = key.read()) {
    putFloat(response, key.source.unit == hwmon::KeySource::Unit::millidegrees
                           ? static_cast<double>(*raw) / kMillidegrees
                           : static_cast<double>(*raw));
  } else {
    response.result = kKeyNotReadable;
  }
}

}  // namespace quimbo

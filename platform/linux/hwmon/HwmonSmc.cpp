#include "platform/linux/hwmon/HwmonSmc.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
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

// How many attribute files may be open at once.
std::size_t fileBudget() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return SIZE_MAX;
  const auto soft = static_cast<std::size_t>(limit.rlim_cur);
  return soft - std::min(HwmonSmc::kSpareDescriptors, soft / 2);
}

}  // namespace

// A key: the fan count (no files), or attributes kept open (none when every
// one of them was left out).
struct HwmonSmc::Key {
  std::uint32_t type;
  std::uint32_t size;
  hwmon::KeySource source;
  std::vector<hwmon::AttributeFile> files;
  bool failed = false;  // a read failed: reopen at the next rescan

  // The highest plausible value of the files that read; none when none
  // does. A value out of range is the sensor's, not the file's fault.
  std::optional<long long> read() {
    std::optional<long long> highest;
    for (hwmon::AttributeFile& file : files) {
      const std::optional<long long> value = file.read();
      failed = failed || !value;
      if (!value || !source.plausible(*value)) continue;
      if (!highest || *highest < *value) highest = value;
    }
    return highest;
  }
};

HwmonSmc::HwmonSmc(std::filesystem::path root, Diagnostics& diagnostics, Clock now,
                   std::chrono::steady_clock::duration rescanInterval)
    : root_(std::move(root)),
      diagnostics_(diagnostics),
      now_(std::move(now)),
      rescanInterval_(rescanInterval) {}

HwmonSmc::~HwmonSmc() = default;

bool HwmonSmc::present() {
  rescan();
  return found_;
}

void HwmonSmc::reportOnce(const std::string& what) {
  if (reported_) return;
  reported_ = true;
  diagnostics_.report(root_.string() + ": " + what);
}

void HwmonSmc::rescan() {
  scannedAt_ = now_();
  const std::optional<std::vector<hwmon::Device>> devices = hwmon::scan(root_);
  if (!devices) {
    reportOnce("too few file descriptors to read it whole; the sensors stay as they were");
    return;
  }
  found_ = !devices->empty();
  hwmon::KeyPlan plan = hwmon::mapSensors(*devices);
  const bool anyFailed = std::any_of(keys_.begin(), keys_.end(),
                                     [](const auto& entry) { return entry.second->failed; });
  if (plan == plan_ && found_ == !keys_.empty() && !anyFailed && leftOut_ == 0) return;

  std::map<std::string, hwmon::AttributeFile> kept = takeOpenFiles();
  keys_.clear();
  for (const auto& [name, source] : plan.keys) {
    keys_.emplace(SMC::fourCC(name),
                  std::make_unique<Key>(Key{SMC::fourCC("flt "), 4, source, {}}));
  }
  openFiles(kept);
  if (found_) {
    keys_.emplace(SMC::fourCC(Monitor::kFanCountKey),
                  std::make_unique<Key>(Key{SMC::fourCC("ui8 "), 1, {}, {}}));
  }
  plan_ = std::move(plan);
}

// Attributes that stay keep their open files, unless a read of their key
// failed: the device may have gone and come back since.
std::map<std::string, hwmon::AttributeFile> HwmonSmc::takeOpenFiles() {
  std::map<std::string, hwmon::AttributeFile> kept;
  for (auto& [code, key] : keys_) {
    if (key->failed) continue;
    for (hwmon::AttributeFile& file : key->files) kept.emplace(file.path(), std::move(file));
  }
  return kept;
}

// Gives each key its files, those `kept` first, the others opened within the
// budget: each key's first file before any key's second, so that short of
// descriptors every key still reads one of its sensors.
void HwmonSmc::openFiles(std::map<std::string, hwmon::AttributeFile>& kept) {
  const std::size_t budget = fileBudget();
  std::size_t open = 0, wanted = 0;
  leftOut_ = 0;
  const auto take = [&](Key& key, const std::string& path) {
    ++wanted;
    if (auto file = kept.extract(path)) {
      key.files.push_back(std::move(file.mapped()));
      ++open;
      return;
    }
    if (open < budget) {
      hwmon::AttributeFile opened(path);
      if (!opened.lackedDescriptors()) {
        key.files.push_back(std::move(opened));
        ++open;
        return;
      }
    }
    ++leftOut_;
  };
  for (auto& [code, key] : keys_) {
    if (!key->source.paths.empty()) take(*key, key->source.paths.front());
  }
  for (auto& [code, key] : keys_) {
    for (std::size_t i = 1; i < key->source.paths.size(); ++i) take(*key, key->source.paths[i]);
  }
  if (leftOut_ > 0) {
    reportOnce("too few file descriptors to read every sensor: " + std::to_string(leftOut_) +
               " of " + std::to_string(wanted) + " files are left out");
  }
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
  } else if (request.key == SMC::fourCC(Monitor::kFanCountKey)) {
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

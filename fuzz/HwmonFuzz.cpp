// Any attribute contents, and any chip names and labels the hwmon devices
// may report, through the parsing and the key mapping; then a small hwmon
// tree of the fuzzer's making, where any file may also be a FIFO, a folder,
// a link to a device, a loop of links or a file too large, and a device
// folder of its own or looping back, scanned and read by a Monitor's passes:
// nothing may wait or grow without bound.

#include <fuzzer/FuzzedDataProvider.h>

#include <chrono>
#include <vector>

#include "fuzz/FileKinds.h"
#include "monitor/Monitor.h"
#include "platform/linux/LinuxServiceManager.h"
#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#include "platform/linux/hwmon/SensorMap.h"
#include "tests/support/ManualRunLoop.h"

namespace {

using namespace quimbo;
using fuzzing::FileKind;

struct Unheard final : Diagnostics {
  void report(const std::string&) override {}
};

void mapSyntheticDevices(FuzzedDataProvider& data) {
  using namespace hwmon;
  std::vector<Device> devices(data.ConsumeIntegralInRange<std::size_t>(0, 6));
  for (Device& device : devices) {
    device.name = data.ConsumeRandomLengthString(16);
    for (int n = data.ConsumeIntegralInRange(0, 12); n > 0; --n) {
      device.temperatures.push_back(
          {data.ConsumeIntegral<int>(), data.ConsumeRandomLengthString(24), "t", {}, {}});
    }
    for (int n = data.ConsumeIntegralInRange(0, 80); n > 0; --n) {
      device.fans.push_back({n, "", "f", std::optional<std::string>("mn"), std::nullopt});
    }
  }
  const KeyPlan plan = mapSensors(devices);
  if (plan.fanCount > 255) __builtin_trap();
}

void placeFile(FuzzedDataProvider& data, const fuzzing::fs::path& path) {
  const auto kind = data.ConsumeEnum<FileKind>();
  fuzzing::place(path, kind, data.ConsumeRandomLengthString(24));
}

// hwmonN's parent device: none, a folder of its own, or a link back to
// hwmonN itself, a loop the scan must not follow. Returns where the
// attributes may go.
std::vector<fuzzing::fs::path> parentDevice(FuzzedDataProvider& data,
                                            const fuzzing::fs::path& dir) {
  switch (data.ConsumeIntegralInRange(0, 2)) {
    case 1:
      fuzzing::place(dir / "device", FileKind::folder, "");
      return {dir, dir / "device"};
    case 2: {
      std::error_code error;
      fuzzing::fs::create_directory_symlink(".", dir / "device", error);
      return {dir};
    }
    default:
      return {dir};
  }
}

void buildTree(FuzzedDataProvider& data, const fuzzing::fs::path& root) {
  fuzzing::place(root, FileKind::folder, "");
  for (int d = data.ConsumeIntegralInRange(0, 3); d > 0; --d) {
    const auto dir = root / ("hwmon" + std::to_string(d));
    if (data.ConsumeBool()) {
      placeFile(data, dir);  // the device itself is no folder
      continue;
    }
    fuzzing::place(dir, FileKind::folder, "");
    const std::vector<fuzzing::fs::path> folders = parentDevice(data, dir);
    const auto in = [&] {
      return folders[data.ConsumeIntegralInRange<std::size_t>(0, folders.size() - 1)];
    };
    placeFile(data, in() / "name");
    for (int t = data.ConsumeIntegralInRange(0, 4); t > 0; --t) {
      const auto folder = in();
      placeFile(data, folder / ("temp" + std::to_string(t) + "_input"));
      placeFile(data, folder / ("temp" + std::to_string(t) + "_label"));
    }
    for (int f = data.ConsumeIntegralInRange(0, 2); f > 0; --f) {
      const auto folder = in();
      for (const char* attribute : {"_input", "_min", "_max", "_label"}) {
        placeFile(data, folder / ("fan" + std::to_string(f) + attribute));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const fuzzing::ScratchFolder scratch("quimbo-fuzz-hwmon");
  FuzzedDataProvider data(bytes, size);
  static_cast<void>(hwmon::parseAttribute(data.ConsumeRandomLengthString(64)));
  mapSyntheticDevices(data);

  const auto root = scratch.path() / "hwmon";
  buildTree(data, root);
  std::chrono::steady_clock::time_point now{};
  Unheard diagnostics;
  HwmonSmc smc(root, diagnostics, [&] { return now; });
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  const auto mon = Monitor::make({smc, services, runLoop});
  now += HwmonSmc::kRescanInterval;  // the second pass rescans
  mon->poll();
  return 0;
}

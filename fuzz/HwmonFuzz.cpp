// Any attribute contents, and any chip names and labels the hwmon devices
// may report, through the parsing and the key mapping.

#include <fuzzer/FuzzedDataProvider.h>

#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/SensorMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace quimbo::hwmon;
  FuzzedDataProvider data(bytes, size);
  parseAttribute(data.ConsumeRandomLengthString(64));

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
  return 0;
}

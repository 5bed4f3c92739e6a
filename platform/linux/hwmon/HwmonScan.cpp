#include "platform/linux/hwmon/HwmonScan.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>

namespace quimbo::hwmon {

namespace fs = std::filesystem;

namespace {

// A short sysfs text file's first line; "" when it cannot be read.
std::string firstLine(const fs::path& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

// "temp12_input" with prefix "temp" and suffix "_input" gives 12.
std::optional<int> attributeIndex(const std::string& file, std::string_view prefix,
                                  std::string_view suffix) {
  if (!file.starts_with(prefix) || !file.ends_with(suffix)) return std::nullopt;
  const std::string_view digits(file.data() + prefix.size(),
                                file.size() - prefix.size() - suffix.size());
  int index = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return index;
}

std::optional<std::string> existing(const fs::path& path) {
  std::error_code error;
  if (!fs::exists(path, error)) return std::nullopt;
  return path.string();
}

Device scanDevice(const fs::path& dir) {
  Device device;
  device.name = firstLine(dir / "name");
  std::error_code error;
  const fs::path physical = fs::canonical(dir / "device", error);
  device.id = error ? fs::canonical(dir, error).string() : physical.string();
  if (device.id.empty()) device.id = dir.string();

  std::map<int, Sensor> temperatures, fans;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
    const std::string file = entry.path().filename().string();
    if (const auto n = attributeIndex(file, "temp", "_input")) {
      temperatures[*n] = Sensor{*n, firstLine(dir / ("temp" + std::to_string(*n) + "_label")),
                                entry.path().string(), std::nullopt, std::nullopt};
    } else if (const auto f = attributeIndex(file, "fan", "_input")) {
      const std::string stem = "fan" + std::to_string(*f);
      fans[*f] = Sensor{*f, firstLine(dir / (stem + "_label")), entry.path().string(),
                        existing(dir / (stem + "_min")), existing(dir / (stem + "_max"))};
    }
  }
  for (auto& [index, sensor] : temperatures) device.temperatures.push_back(std::move(sensor));
  for (auto& [index, sensor] : fans) device.fans.push_back(std::move(sensor));
  return device;
}

}  // namespace

std::vector<Device> scan(const fs::path& root) {
  std::vector<Device> devices;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    if (!entry.is_directory(error)) continue;
    Device device = scanDevice(entry.path());
    if (!device.temperatures.empty() || !device.fans.empty()) devices.push_back(std::move(device));
  }
  std::sort(devices.begin(), devices.end(), [](const Device& a, const Device& b) {
    return std::tie(a.name, a.id) < std::tie(b.name, b.id);
  });
  return devices;
}

}  // namespace quimbo::hwmon

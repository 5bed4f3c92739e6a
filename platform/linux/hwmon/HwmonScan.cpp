#include "platform/linux/hwmon/HwmonScan.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

#include "platform/files/RegularFile.h"

namespace quimbo::hwmon {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxText = 256;  // a chip name or a sensor label

// Set when a file or folder could not be opened for want of descriptors.
struct Shortage {
  bool found = false;
  void check(const std::error_code& error) {
    found = found || error == std::errc::too_many_files_open ||
            error == std::errc::too_many_files_open_in_system;
  }
};

// The first line of a short text file, without trailing blanks; nothing
// when it is not a regular file or is too long for a name.
std::optional<std::string> firstLine(const fs::path& path, Shortage& shortage) {
  RegularFile file(path.string());
  shortage.found = shortage.found || file.lackedDescriptors();
  char buffer[kMaxText];
  const std::optional<std::string_view> text = file.read(buffer);
  if (!text) return std::nullopt;
  std::string_view line = text->substr(0, text->find('\n'));
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
  return std::string(line);
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

// One folder's files by name.
class Listing {
 public:
  Listing(const fs::path& dir, Shortage& shortage) : dir_(dir), shortage_(shortage) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
      names_.insert(entry.path().filename().string());
    }
    shortage.check(error);
  }
  const std::set<std::string>& names() const { return names_; }
  std::optional<std::string> path(const std::string& name) const {
    if (!names_.contains(name)) return std::nullopt;
    return (dir_ / name).string();
  }
  // A file that is not there reads as "": labels and names are optional.
  // One that is there but cannot be read is nothing.
  std::optional<std::string> text(const std::string& name) const {
    if (!names_.contains(name)) return std::string();
    return firstLine(dir_ / name, shortage_);
  }

 private:
  fs::path dir_;
  Shortage& shortage_;
  std::set<std::string> names_;
};

// The sensors of one folder, with their labels (and a fan's minimum and
// maximum) from the same folder; an index already found elsewhere stays.
void addSensors(const Listing& files, std::map<int, Sensor>& temperatures,
                std::map<int, Sensor>& fans) {
  for (const std::string& file : files.names()) {
    if (const auto n = attributeIndex(file, "temp", "_input")) {
      if (temperatures.contains(*n)) continue;
      const std::optional<std::string> label = files.text("temp" + std::to_string(*n) + "_label");
      if (label) temperatures[*n] = Sensor{*n, *label, *files.path(file), {}, {}};
    } else if (const auto f = attributeIndex(file, "fan", "_input")) {
      if (fans.contains(*f)) continue;
      const std::string stem = "fan" + std::to_string(*f);
      const std::optional<std::string> label = files.text(stem + "_label");
      if (label) {
        fans[*f] = Sensor{*f, *label, *files.path(file), files.path(stem + "_min"),
                          files.path(stem + "_max")};
      }
    }
  }
}

// A device whose driver registered it the deprecated way (applesmc, k8temp
// and thinkpad_acpi on older kernels) keeps `name` and its attributes on the
// parent device, hwmonN/device/, and hwmonN/ holds only the kernel's own
// files. Both are read, as lm-sensors does: the name where it is, hwmonN/'s
// attributes before the parent's.
std::optional<Device> scanDevice(const fs::path& dir, Shortage& shortage) {
  const Listing files(dir, shortage);
  std::optional<Listing> parent;
  if (files.names().contains("device")) parent.emplace(dir / "device", shortage);
  const Listing& named = !files.names().contains("name") && parent ? *parent : files;
  const std::optional<std::string> name = named.text("name");
  if (!name) return std::nullopt;
  Device device;
  device.name = *name;
  std::error_code error;
  const fs::path physical = fs::canonical(dir / "device", error);
  device.id = error ? fs::canonical(dir, error).string() : physical.string();
  if (device.id.empty()) device.id = dir.string();

  std::map<int, Sensor> temperatures, fans;
  addSensors(files, temperatures, fans);
  if (parent) addSensors(*parent, temperatures, fans);
  for (auto& [index, sensor] : temperatures) device.temperatures.push_back(std::move(sensor));
  for (auto& [index, sensor] : fans) device.fans.push_back(std::move(sensor));
  return device;
}

}  // namespace

std::optional<std::vector<Device>> scan(const fs::path& root) {
  std::vector<Device> devices;
  Shortage shortage;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    if (!entry.is_directory(error)) continue;
    std::optional<Device> device = scanDevice(entry.path(), shortage);
    if (device && (!device->temperatures.empty() || !device->fans.empty())) {
      devices.push_back(std::move(*device));
    }
  }
  shortage.check(error);
  if (shortage.found) return std::nullopt;
  std::sort(devices.begin(), devices.end(), [](const Device& a, const Device& b) {
    return std::tie(a.name, a.id) < std::tie(b.name, b.id);
  });
  return devices;
}

std::vector<fs::path> readFolders(const fs::path& root) {
  std::error_code error;
  const fs::path folder = fs::weakly_canonical(fs::absolute(root, error), error);
  std::vector<fs::path> folders = {root, folder};
  if (folder.parent_path().filename() == "class") {
    folders.push_back(folder.parent_path().parent_path() / "devices");
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    for (const fs::path& link : {entry.path(), entry.path() / "device"}) {
      const fs::path target = fs::canonical(link, error);
      if (!error) folders.push_back(target);
    }
  }
  return folders;
}

}  // namespace quimbo::hwmon

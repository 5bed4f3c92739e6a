#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quimbo::hwmon {

// One temperature or fan input of a hardware-monitoring device.
struct Sensor {
  int index;                            // N of tempN_ / fanN_
  std::string label;                    // tempN_label / fanN_label, or "" without one
  std::string input;                    // path of tempN_input / fanN_input
  std::optional<std::string> min, max;  // paths of fanN_min / fanN_max, when present
};

struct Device {
  std::string name;  // the driver's chip name ("coretemp", "nvme", ...); "" without one
  std::string id;    // the device's stable path, for ordering across boots
  std::vector<Sensor> temperatures;
  std::vector<Sensor> fans;
};

// The devices under a hwmon class folder (normally /sys/class/hwmon), in a
// stable order: by chip name, then by device path; sensors by index. The
// name and the attributes are read in hwmonN/ and in the parent device,
// hwmonN/device/, where older drivers put them. Only reads: folder listings,
// `name` and the label files. A name or label that is there but is no
// regular file of at most a few hundred bytes (a FIFO, a link to a device, a
// loop of links) leaves out its sensor, or for `name` the whole device:
// nothing waits and nothing grows without bound. None
// when the process ran out of file descriptors before the tree was read
// whole: what it found is no picture of the machine.
std::optional<std::vector<Device>> scan(const std::filesystem::path& root);

// Where scans of `root` read, now and as chips come and go: the folder
// itself, where its entries and their parent devices lead now, and, for a
// class folder laid out as sysfs lays it out (X/class/hwmon), the device
// tree beside it (X/devices), where the folder of a chip added later is.
std::vector<std::filesystem::path> readFolders(const std::filesystem::path& root);

}  // namespace quimbo::hwmon

#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/linux/hwmon/HwmonScan.h"

namespace quimbo::hwmon {

// Where one SMC key's value comes from.
struct KeySource {
  enum class Unit { millidegrees, rpm };
  std::string path;  // the attribute file
  Unit unit;
};

// The SMC keys a machine can fill: the catalogue's temperature keys and the
// fan keys, each backed by one attribute; and the fan count.
struct KeyPlan {
  std::map<std::string, KeySource> keys;
  int fanCount = 0;
  bool operator==(const KeyPlan&) const = default;
};
bool operator==(const KeySource& a, const KeySource& b);

// Maps what the devices measure onto the keys: CPU sensors to the P-core
// keys in order, efficiency-core or secondary CPU sensors to the E-core key,
// GPU, storage and board/ambient sensors to theirs, every fan in device
// order to F0.., F1.., ... The mapping is the rule table in SensorMap.cpp.
KeyPlan mapSensors(const std::vector<Device>& devices);

}  // namespace quimbo::hwmon

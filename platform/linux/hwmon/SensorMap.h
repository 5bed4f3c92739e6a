#pragma once

#include <limits>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/hwmon/HwmonScan.h"

namespace quimbo::hwmon {

// Where one SMC key's value comes from: the highest of its attribute files
// that reads a value its sensors can physically report, strictly between
// `above` and `below` (in the attribute's unit).
struct KeySource {
  enum class Unit { millidegrees, rpm };
  std::vector<std::string> paths;  // the attribute files
  Unit unit = Unit::millidegrees;
  long long above = std::numeric_limits<long long>::min();
  long long below = std::numeric_limits<long long>::max();
  bool plausible(long long value) const { return above < value && value < below; }
  bool operator==(const KeySource&) const = default;
};

// The SMC keys a machine can fill: the catalogue's temperature keys and the
// fan keys, each backed by its attributes; and the fan count.
struct KeyPlan {
  std::map<std::string, KeySource> keys;
  int fanCount = 0;
  bool operator==(const KeyPlan&) const = default;
};

// Maps what the devices measure onto the keys. The rule table in
// SensorMap.cpp gives each temperature sensor a role by its chip and label,
// and a tier: where the reading comes from.
//
//   CPU (packages, cores, Tctl)             P-core keys  Tp01 Tp05 Tp09 Tp0D Tp0T
//   efficiency cores, secondary CPU (Tccd)  E-core key   Te05
//   GPU                                     GPU keys     Tg0f Tg0j
//   storage                                 SSD key      Ts0S
//   ambient or intake air                   Ortam keys   TaLP TaRP
//
// Each group (CPU, GPU, SSD, Ortam) takes its sensors from the best tier the
// machine has: the part's own driver before a system-on-chip thermal zone,
// before an embedded controller's reading, before a mainboard chip's, so
// that an embedded controller's "CPU" never stands beside coretemp's.
// A role's sensors, ordered by rule (a chip's earlier rule first: a package
// before its cores, wherever the device lists it), then by device and index,
// are dealt round-robin over the role's keys. With no more sensors than
// keys each key reads one; a role with more (eight performance cores, a
// two-socket server's packages and dozens of cores) folds several into each
// key, which reads the hottest of them, so that the role's maximum always
// reaches its group. CPU sensors stay on the P-core keys however many there
// are: the E-core key is the efficiency cores', and both keys are the CPU
// group's anyway. Each key carries its role's plausible range. Fans, in
// device order, become F0.., F1.., ..., each key one attribute, as many as
// have keys of their own.
KeyPlan mapSensors(const std::vector<Device>& devices);

// How many fans, from the first, have keys of their own. A key is four
// characters, and "F" + i + "Ac" keeps its last four: fan 110's "F110Ac"
// would read fan 10's "10Ac". That leaves 110 fans.
int fansWithOwnKeys();

}  // namespace quimbo::hwmon

#include "platform/linux/hwmon/SensorMap.h"

#include <algorithm>
#include <array>
#include <regex>
#include <string_view>

namespace quimbo::hwmon {

namespace {

enum class Role { cpu, cpuSecondary, gpu, storage, ambient };

// A sensor matches when the chip name does (a trailing '*' matches any rest)
// and the label does; a sensor without a label is matched by its attribute
// name ("temp1"). Earlier rules come first within a role.
struct Rule {
  std::string_view chip;
  std::string_view label;  // ECMAScript pattern, searched; "" matches all
  Role role;
};

constexpr std::array kRules = std::to_array<Rule>({
    // Apple Silicon, with the SMC driver of the Asahi kernels.
    {"macsmc*", "Performance|P-Core|pCPU", Role::cpu},
    {"macsmc*", "Efficiency|E-Core|eCPU", Role::cpuSecondary},
    {"macsmc*", "GPU", Role::gpu},
    {"macsmc*", "NAND|SSD|Storage", Role::storage},
    {"macsmc*", "Ambient|Palm|Airflow", Role::ambient},
    // Intel Macs: the labels are the SMC's own keys.
    {"applesmc", "^TC", Role::cpu},
    {"applesmc", "^TG", Role::gpu},
    {"applesmc", "^TH", Role::storage},
    {"applesmc", "^(TA|Ts)", Role::ambient},
    // CPUs.
    {"coretemp", "^Package id", Role::cpu},
    {"coretemp", "^Core ", Role::cpu},
    {"k10temp", "^(Tctl|Tdie)$", Role::cpu},
    {"k10temp", "^Tccd", Role::cpuSecondary},
    {"zenpower", "^(Tdie|Tctl)$", Role::cpu},
    {"zenpower", "^Tccd", Role::cpuSecondary},
    {"cpu_thermal", "", Role::cpu},
    // GPUs.
    {"amdgpu", "^(edge|junction)$", Role::gpu},
    {"nouveau", "", Role::gpu},
    // Storage.
    {"nvme", "^(Composite|temp1)$", Role::storage},
    {"drivetemp", "", Role::storage},
    // Laptops' embedded controllers.
    {"thinkpad", "^(CPU|temp1)$", Role::cpu},
    {"dell_smm", "^CPU$", Role::cpu},
    {"dell_smm", "^GPU$", Role::gpu},
    {"dell_smm", "^Ambient$", Role::ambient},
    {"dell_smm", "^(SODIMM|Other)$", Role::ambient},
    // Mainboard monitoring chips.
    {"nct6*", "^(CPUTIN|PECI)", Role::cpuSecondary},
    {"nct6*", "^(SYSTIN|AUXTIN|PCH)", Role::ambient},
    {"it8*", "", Role::ambient},
    {"acpitz", "", Role::ambient},
});

constexpr std::array<std::string_view, 5> kCpuKeys = {"Tp01", "Tp05", "Tp09", "Tp0D", "Tp0T"};
constexpr std::array<std::string_view, 1> kSecondaryCpuKeys = {"Te05"};
constexpr std::array<std::string_view, 2> kGpuKeys = {"Tg0f", "Tg0j"};
constexpr std::array<std::string_view, 1> kStorageKeys = {"Ts0S"};
constexpr std::array<std::string_view, 2> kAmbientKeys = {"TaLP", "TaRP"};
constexpr int kMaxFans = 255;  // "FNum" is one byte

bool chipMatches(std::string_view pattern, std::string_view chip) {
  if (pattern.ends_with('*')) return chip.starts_with(pattern.substr(0, pattern.size() - 1));
  return chip == pattern;
}

struct Candidate {
  std::size_t rule;
  std::size_t order;  // device, then sensor
  const Sensor* sensor;
};

// Deals the role's sensors, best rule first, round-robin over its keys.
template <std::size_t N>
void assign(const std::array<std::string_view, N>& keys, std::vector<Candidate>& candidates,
            KeyPlan& plan) {
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     return std::tie(a.rule, a.order) < std::tie(b.rule, b.order);
                   });
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    KeySource& source = plan.keys[std::string(keys[i % N])];
    source.unit = KeySource::Unit::millidegrees;
    source.paths.push_back(candidates[i].sensor->input);
  }
}

}  // namespace

KeyPlan mapSensors(const std::vector<Device>& devices) {
  static const std::vector<std::regex> patterns = [] {
    std::vector<std::regex> compiled;
    for (const Rule& rule : kRules) compiled.emplace_back(rule.label.begin(), rule.label.end());
    return compiled;
  }();

  std::vector<Candidate> byRole[5];
  std::size_t order = 0;
  KeyPlan plan;
  for (const Device& device : devices) {
    for (const Sensor& sensor : device.temperatures) {
      const std::string label =
          sensor.label.empty() ? "temp" + std::to_string(sensor.index) : sensor.label;
      for (std::size_t r = 0; r < kRules.size(); ++r) {
        if (chipMatches(kRules[r].chip, device.name) && std::regex_search(label, patterns[r])) {
          byRole[static_cast<int>(kRules[r].role)].push_back({r, order, &sensor});
          break;
        }
      }
      ++order;
    }
    for (const Sensor& fan : device.fans) {
      if (plan.fanCount == kMaxFans) break;
      const std::string prefix = "F" + std::to_string(plan.fanCount++);
      plan.keys.emplace(prefix + "Ac", KeySource{{fan.input}, KeySource::Unit::rpm});
      if (fan.min) plan.keys.emplace(prefix + "Mn", KeySource{{*fan.min}, KeySource::Unit::rpm});
      if (fan.max) plan.keys.emplace(prefix + "Mx", KeySource{{*fan.max}, KeySource::Unit::rpm});
    }
  }

  assign(kCpuKeys, byRole[static_cast<int>(Role::cpu)], plan);
  assign(kSecondaryCpuKeys, byRole[static_cast<int>(Role::cpuSecondary)], plan);
  assign(kGpuKeys, byRole[static_cast<int>(Role::gpu)], plan);
  assign(kStorageKeys, byRole[static_cast<int>(Role::storage)], plan);
  assign(kAmbientKeys, byRole[static_cast<int>(Role::ambient)], plan);
  return plan;
}

}  // namespace quimbo::hwmon

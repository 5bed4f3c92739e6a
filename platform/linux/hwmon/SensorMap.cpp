#include "platform/linux/hwmon/SensorMap.h"

#include <algorithm>
#include <array>
#include <regex>
#include <set>
#include <string_view>

#include "monitor/Monitor.h"
#include "smc/SMC.h"

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

// The catalogue label whose keys stand for each role, in the roles' order.
constexpr std::array<std::string_view, 5> kRoleLabels = {"P-core", "E-core", "GPU", "SSD", "Ortam"};
static_assert(
    [] {
      for (const std::string_view label : kRoleLabels) {
        if (!SMC::groupOf(label)) return false;
      }
      return true;
    }(),
    "every role stands for labels of the catalogue");

// The keys a role fills: the catalogue's keys with its label, in catalogue
// order.
std::vector<std::string_view> keysOf(Role role) {
  std::vector<std::string_view> keys;
  for (const SMC::TempKey& row : SMC::tempKeys) {
    if (row.label == kRoleLabels[static_cast<std::size_t>(role)]) keys.push_back(row.key);
  }
  return keys;
}

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
void assign(Role role, std::vector<Candidate>& candidates, KeyPlan& plan) {
  const std::vector<std::string_view> keys = keysOf(role);
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     return std::tie(a.rule, a.order) < std::tie(b.rule, b.order);
                   });
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    KeySource& source = plan.keys[std::string(keys[i % keys.size()])];
    source.unit = KeySource::Unit::millidegrees;
    source.paths.push_back(candidates[i].sensor->input);
  }
}

}  // namespace

int fansWithOwnKeys() {
  static const int count = [] {
    std::set<std::uint32_t> taken;
    for (int fan = 0; fan < Monitor::kMaxFans; ++fan) {
      for (const std::string_view suffix :
           {Monitor::kActual, Monitor::kMinimum, Monitor::kMaximum}) {
        if (!taken.insert(SMC::fourCC(Monitor::fanKey(fan, suffix))).second) return fan;
      }
    }
    return static_cast<int>(Monitor::kMaxFans);
  }();
  return count;
}

KeyPlan mapSensors(const std::vector<Device>& devices) {
  static const std::vector<std::regex> patterns = [] {
    std::vector<std::regex> compiled;
    for (const Rule& rule : kRules) compiled.emplace_back(rule.label.begin(), rule.label.end());
    return compiled;
  }();

  std::array<std::vector<Candidate>, kRoleLabels.size()> byRole;
  std::size_t order = 0;
  KeyPlan plan;
  for (const Device& device : devices) {
    for (const Sensor& sensor : device.temperatures) {
      const std::string label =
          sensor.label.empty() ? "temp" + std::to_string(sensor.index) : sensor.label;
      for (std::size_t r = 0; r < kRules.size(); ++r) {
        if (chipMatches(kRules[r].chip, device.name) && std::regex_search(label, patterns[r])) {
          byRole[static_cast<std::size_t>(kRules[r].role)].push_back({r, order, &sensor});
          break;
        }
      }
      ++order;
    }
    for (const Sensor& fan : device.fans) {
      if (plan.fanCount == fansWithOwnKeys()) break;
      const int index = plan.fanCount++;
      const auto key = [index](std::string_view suffix) { return Monitor::fanKey(index, suffix); };
      plan.keys.emplace(key(Monitor::kActual), KeySource{{fan.input}, KeySource::Unit::rpm});
      if (fan.min)
        plan.keys.emplace(key(Monitor::kMinimum), KeySource{{*fan.min}, KeySource::Unit::rpm});
      if (fan.max)
        plan.keys.emplace(key(Monitor::kMaximum), KeySource{{*fan.max}, KeySource::Unit::rpm});
    }
  }

  for (std::size_t role = 0; role < kRoleLabels.size(); ++role) {
    assign(static_cast<Role>(role), byRole[role], plan);
  }
  return plan;
}

}  // namespace quimbo::hwmon

#include "platform/linux/hwmon/SensorMap.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <string_view>

#include "monitor/Monitor.h"
#include "smc/SMC.h"

namespace quimbo::hwmon {

namespace {

enum class Role { cpu, cpuSecondary, gpu, storage, ambient };

// Where a reading comes from, best first. A group takes its sensors only from
// the best tier the machine offers.
enum class Tier {
  part,        // the part's own driver: coretemp, k10temp, amdgpu, nvme, ...
  soc,         // a thermal zone or sensor of the whole package or chip
  controller,  // an embedded controller or firmware: thinkpad, dell_smm, ...
  board,       // a mainboard chip's digital reading of the CPU (PECI, SB-TSI)
  diode,       // a mainboard chip's diode input
};

// A sensor matches when the chip name matches the chip pattern whole, and
// the label contains a match of the label pattern; a sensor without a label
// is matched by its attribute name ("temp1"). A rule with an `unless`
// pattern stands back on a device where one of the sensors' labels contains
// a match of it: the driver offers a truer reading of the same thing. All
// are ECMAScript patterns. Earlier rules come first within a role. Each rule
// names where the driver documents it (Documentation/ and drivers/ of the
// kernel's source).
struct Rule {
  std::string_view chip;
  std::string_view label;
  Role role;
  Tier tier;
  std::string_view unless = {};
};

using enum Role;
using enum Tier;

constexpr std::array kRules = std::to_array<Rule>({
    // Apple Silicon: macsmc_hwmon of the Asahi kernels; labels from the
    // device tree.
    {"macsmc.*", "Performance|P-Core|pCPU", cpu, part},
    {"macsmc.*", "Efficiency|E-Core|eCPU", cpuSecondary, part},
    {"macsmc.*", "GPU", gpu, part},
    {"macsmc.*", "NAND|SSD|Storage", storage, part},
    {"macsmc.*", "Ambient|Airflow", ambient, part},
    // Intel Macs: applesmc.c labels each temperature with the SMC key it
    // reads. CPU die (TC0D, TC0E, TC0F), proximity (TC0P), cores (TC0C..),
    // PECI of the cores (TCXC); not the heat sink (TC0H) nor the PECI of the
    // system agent (TCSA, TCSC). The GPU die and proximity (TG0D, TG0P,
    // TGDD); the integrated GPU's PECI (TCGC) where there is no other GPU.
    // Ambient and intake air (TA0P, TA1P, Ta0P, airflow TaLC TaRC). Drive
    // bay (TH0P), memory (TM*), power supply (Tp*), northbridge (TN*),
    // palm rest and skin (Ts*) and battery (TB*) keys are none of these.
    {"applesmc", "^TC([0-9AB][DEFP]|[0-9][Cc]|X[Cc])$", cpu, part},
    {"applesmc", "^TG([0-9][DP]|DD)$", gpu, part},
    {"applesmc", "^TCG[Cc]$", gpu, soc},
    {"applesmc", "^(TA[0-9]P|Ta0P|Ta[LR]C)$", ambient, part},
    // coretemp.rst: "Package id N" (older kernels "Physical id N"), "Core N".
    {"coretemp", "^(Package|Physical) id [0-9]+$", cpu, part},
    {"coretemp", "^Core [0-9]+$", cpu, part},
    // k10temp.rst: Tctl on Zen, Tccd1.. per die; families 10h to 16h have one
    // unlabelled temp1. "Tdie is the real measured temperature, and Tctl is
    // used for fan control": where the driver gives Tdie (k10temp.c's
    // tctl_offset_table: Ryzen 1600X to 2700X, Threadripper 1900X to 2990WX,
    // Tctl 10 to 27 degrees above it), Tctl is no temperature of the CPU.
    {"k10temp", "^Tdie$", cpu, part},
    {"k10temp", "^(Tctl|temp1)$", cpu, part, "^Tdie$"},
    {"k10temp", "^Tccd[0-9]+$", cpuSecondary, part},
    // k8temp.rst: temp1..temp4, core 0 and 1 at two places each, no labels.
    {"k8temp", "", cpu, part},
    // via-cputemp.c: "Core N", on its platform device (deprecated way).
    {"via_cputemp", "", cpu, part},
    // zenpower, kept outside the kernel, labels as k10temp does and always
    // gives Tdie.
    {"zenpower", "^Tdie$", cpu, part},
    {"zenpower", "^Tctl$", cpu, part, "^Tdie$"},
    {"zenpower", "^Tccd[0-9]+$", cpuSecondary, part},
    // thermal_hwmon.c: a thermal zone's hwmon is named after the zone's type,
    // '-' made '_' (older kernels kept the '-'): cpu_thermal, cpu0_thermal,
    // cpu_0_0_thermal, bigcore0_thermal (Raspberry Pi, Rockchip, Allwinner,
    // Amlogic, Qualcomm), CPU_therm (Tegra), cpu_thermal0 (imx8dxl.dtsi);
    // soc_thermal is the whole chip's, and so is imx_thermal.c's
    // imx_thermal_zone, the i.MX6 and i.MX7 die ("CPU temperature grade").
    {"(cpu|CPU)[a-z0-9_-]*[_-]therm(al)?[0-9]*|(big|little|mid)core[0-9]*[_-]thermal", "", cpu,
     part},
    {"soc[a-z0-9_-]*[_-]thermal|imx_thermal_zone", "", cpu, soc},
    // GPUs: gpu/amdgpu/thermal.rst (edge, junction, not mem; temp1 before
    // labels), radeon_pm.c (temp1), nouveau_hwmon.c (temp1), GPU zones.
    {"amdgpu", "^(edge|junction|temp1)$", gpu, part},
    {"radeon", "", gpu, part},
    {"nouveau", "", gpu, part},
    {"(gpu|GPU)[a-z0-9_-]*[_-]therm(al)?", "", gpu, part},
    // Storage: nvme/host/hwmon.c (Composite; Sensor N are other places on
    // the drive), drivetemp.rst (temp1).
    {"nvme", "^(Composite|temp1)$", storage, part},
    {"drivetemp", "", storage, part},
    // Embedded controllers. thinkpad-acpi.rst: temp1 the CPU, labelled "CPU"
    // and temp2 "GPU" on newer ECs. dell-smm-hwmon.rst: CPU, GPU, SODIMM,
    // Other, Ambient (named i8k on older kernels). system76_acpi.c,
    // asus_ec_sensors.rst (asusec), asus_wmi_sensors.rst, asus_atk0110.c.
    {"thinkpad", "^(CPU|temp1)$", cpu, controller},
    {"thinkpad", "^GPU$", gpu, controller},
    {"dell_smm|i8k", "^CPU$", cpu, controller},
    {"dell_smm|i8k", "^GPU$", gpu, controller},
    {"dell_smm|i8k", "^Ambient$", ambient, controller},
    // dell-wmi-ddv.c (6.2 on; not in 6.1): the same EC's sensors through
    // WMI, "CPU" and "Video"; its "Ambient" is "sometimes called SKIN",
    // the case's surface, and is no air.
    {"dell_ddv", "^CPU$", cpu, controller},
    {"dell_ddv", "^Video$", gpu, controller},
    {"system76_acpi", "^CPU", cpu, controller},
    {"system76_acpi", "^GPU", gpu, controller},
    {"asusec", "^CPU$", cpu, controller},
    {"asus_wmi_sensors|atk0110", "^CPU Temperature$", cpu, controller},
    // Mainboard monitoring chips, for the CPU only: nct6775.rst (PECI Agent 0,
    // AMD SB-TSI, TSI0_TEMP, the CPU's own reading; CPUTIN a diode by the
    // socket, "to be ignored on ASUS boards"), nct6683.c (nct6683, nct6686,
    // nct6687: PECI 0.0, and AMD TSI Addr 98h and 90h, the SB-TSI of the
    // first and second socket as sbtsi_temp.rst gives their addresses),
    // w83627ehf.rst, it87.rst (temp1..temp3, unlabelled, thermistors or
    // diodes).
    {"nct6[0-9]+|w83627[a-z-]*|w83667hg[a-z-]*",
     "^(PECI(/TSI)? Agent 0|AMD SB-TSI|TSI0_TEMP|PECI 0\\.0|AMD TSI Addr (98|90)h)$", cpu, board},
    {"nct6[0-9]+|w83627[a-z-]*|w83667hg[a-z-]*", "^CPUTIN$", cpu, diode},
    {"it8[0-9]+", "", cpu, diode},
});

// The catalogue label of each role's keys, and what the role's sensors can
// physically read, in millidegrees, both bounds excluded. A reading outside
// is no reading: an absent or unconnected sensor reads 0, -128, 127, 128 or
// 255 °C, an NVMe drive without one -273.15 °C or 65261.85 °C. Air, in a room
// or at an intake, is above 10 and below 45 °C.
struct RoleKeys {
  std::string_view label;
  long long above, below;
};
constexpr std::array<RoleKeys, 5> kRoleKeys = {{
    {"P-core", 5000, 125000},
    {"E-core", 5000, 125000},
    {"GPU", 5000, 125000},
    {"SSD", 5000, 100000},
    {"Ortam", 10000, 45000},
}};
static_assert(
    [] {
      for (const RoleKeys& role : kRoleKeys) {
        if (!SMC::groupOf(role.label)) return false;
      }
      return true;
    }(),
    "every role stands for labels of the catalogue");

// The keys a role fills: the catalogue's keys with its label, in catalogue
// order.
std::vector<std::string_view> keysOf(Role role) {
  std::vector<std::string_view> keys;
  for (const SMC::TempKey& row : SMC::tempKeys) {
    if (row.label == kRoleKeys[static_cast<std::size_t>(role)].label) keys.push_back(row.key);
  }
  return keys;
}

SMC::Group groupOf(Role role) {
  return *SMC::groupOf(kRoleKeys[static_cast<std::size_t>(role)].label);
}

struct Compiled {
  std::regex chip, label;
  std::optional<std::regex> unless;
};

const std::vector<Compiled>& compiledRules() {
  static const std::vector<Compiled> compiled = [] {
    std::vector<Compiled> rules;
    for (const Rule& rule : kRules) {
      rules.push_back({std::regex(rule.chip.begin(), rule.chip.end()),
                       std::regex(rule.label.begin(), rule.label.end()),
                       rule.unless.empty()
                           ? std::nullopt
                           : std::optional(std::regex(rule.unless.begin(), rule.unless.end()))});
    }
    return rules;
  }();
  return compiled;
}

// What rules match a sensor by: its label, or without one its attribute name.
std::string labelOf(const Sensor& sensor) {
  return sensor.label.empty() ? "temp" + std::to_string(sensor.index) : sensor.label;
}

// The rules for a device, in table order: those of its chip that do not
// stand back for one of its sensors.
std::vector<std::size_t> rulesFor(const Device& device) {
  std::vector<std::size_t> rules;
  for (std::size_t r = 0; r < kRules.size(); ++r) {
    const Compiled& rule = compiledRules()[r];
    if (!std::regex_match(device.name, rule.chip)) continue;
    if (rule.unless && std::any_of(device.temperatures.begin(), device.temperatures.end(),
                                   [&](const Sensor& sensor) {
                                     return std::regex_search(labelOf(sensor), *rule.unless);
                                   })) {
      continue;
    }
    rules.push_back(r);
  }
  return rules;
}

// The first of the device's rules that the sensor matches, if any.
std::optional<std::size_t> ruleFor(const std::vector<std::size_t>& rules, const Sensor& sensor) {
  const std::string label = labelOf(sensor);
  for (const std::size_t r : rules) {
    if (std::regex_search(label, compiledRules()[r].label)) return r;
  }
  return std::nullopt;
}

struct Candidate {
  std::size_t rule;
  std::size_t order;  // device, then sensor
  const Sensor* sensor;
  Role role() const { return kRules[rule].role; }
  Tier tier() const { return kRules[rule].tier; }
};

// Every temperature sensor that a rule gives a role, in device order; of
// each group only those of the best tier the machine has.
std::vector<Candidate> candidates(const std::vector<Device>& devices) {
  std::vector<Candidate> found;
  std::size_t order = 0;
  for (const Device& device : devices) {
    const std::vector<std::size_t> rules = rulesFor(device);
    for (const Sensor& sensor : device.temperatures) {
      if (const std::optional<std::size_t> rule = ruleFor(rules, sensor)) {
        found.push_back({*rule, order, &sensor});
      }
      ++order;
    }
  }
  std::map<SMC::Group, Tier> best;
  for (const Candidate& c : found) {
    const auto [entry, added] = best.try_emplace(groupOf(c.role()), c.tier());
    if (!added && c.tier() < entry->second) entry->second = c.tier();
  }
  std::erase_if(found, [&](const Candidate& c) { return c.tier() != best[groupOf(c.role())]; });
  return found;
}

// Deals the role's sensors, best rule first, round-robin over its keys.
void assign(Role role, std::vector<Candidate> chosen, KeyPlan& plan) {
  const std::vector<std::string_view> keys = keysOf(role);
  const RoleKeys& range = kRoleKeys[static_cast<std::size_t>(role)];
  std::erase_if(chosen, [role](const Candidate& c) { return c.role() != role; });
  std::stable_sort(chosen.begin(), chosen.end(), [](const Candidate& a, const Candidate& b) {
    return std::tie(a.rule, a.order) < std::tie(b.rule, b.order);
  });
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    KeySource& source = plan.keys[std::string(keys[i % keys.size()])];
    source.unit = KeySource::Unit::millidegrees;
    source.above = range.above;
    source.below = range.below;
    source.paths.push_back(chosen[i].sensor->input);
  }
}

// Every fan of every device, in device order, as long as fans have keys.
void assignFans(const std::vector<Device>& devices, KeyPlan& plan) {
  for (const Device& device : devices) {
    for (const Sensor& fan : device.fans) {
      if (plan.fanCount == fansWithOwnKeys()) return;
      const int index = plan.fanCount++;
      const auto key = [index](std::string_view suffix) { return Monitor::fanKey(index, suffix); };
      plan.keys.emplace(key(Monitor::kActual), KeySource{{fan.input}, KeySource::Unit::rpm});
      if (fan.min)
        plan.keys.emplace(key(Monitor::kMinimum), KeySource{{*fan.min}, KeySource::Unit::rpm});
      if (fan.max)
        plan.keys.emplace(key(Monitor::kMaximum), KeySource{{*fan.max}, KeySource::Unit::rpm});
    }
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
  KeyPlan plan;
  assignFans(devices, plan);
  const std::vector<Candidate> chosen = candidates(devices);
  for (std::size_t role = 0; role < kRoleKeys.size(); ++role) {
    assign(static_cast<Role>(role), chosen, plan);
  }
  return plan;
}

}  // namespace quimbo::hwmon

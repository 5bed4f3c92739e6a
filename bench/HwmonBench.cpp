// One sampling pass over hwmon fixtures, beside the floor: reading the same
// attribute files once each from files already open. An AMD desktop
// (k10temp, amdgpu, an nct6798 with three fans, two nvme), and a two-socket
// server whose 34 CPU sensors fold into the five P-core keys. The trees are
// laid out as sysfs lays them out: the class folder's hwmonN are links to
// hwmon/hwmonN under a parent device that holds a dozen files of its own, and
// hwmonN/device links back to it.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bench/SamplingPasses.h"
#include "platform/linux/hwmon/AttributeFile.h"
#include "platform/linux/hwmon/HwmonScan.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#include "platform/linux/hwmon/SensorMap.h"

namespace quimbo {
namespace {

namespace fs = std::filesystem;

struct Unheard final : Diagnostics {
  void report(const std::string&) override {}
};

// A hwmon tree in a temporary folder, laid out by `fill`.
class Fixture {
 public:
  explicit Fixture(void (*fill)(Fixture&)) {
    fs::remove_all(root);
    fill(*this);
  }
  ~Fixture() { fs::remove_all(root); }
  void device(int n, const std::string& name) {
    const std::string hwmon = "hwmon" + std::to_string(n);
    const fs::path parent = root / "devices" / ("0000:00:0" + std::to_string(n) + ".0");
    dir = parent / "hwmon" / hwmon;
    fs::create_directories(dir / "power");
    fs::create_directories(parent / "power");
    for (const char* file : {"class", "config", "device", "enable", "irq", "local_cpus", "modalias",
                             "numa_node", "resource", "revision", "uevent", "vendor"}) {
      std::ofstream(parent / file) << "0\n";
    }
    fs::create_directory_symlink("../..", dir / "device");
    fs::create_directories(root / "class");
    fs::create_directory_symlink(fs::relative(dir, root / "class"), root / "class" / hwmon);
    put("uevent", "");
    put("name", name);
  }
  void put(const std::string& file, const std::string& text) {
    std::ofstream(dir / file) << text << '\n';
  }

  fs::path root = fs::temp_directory_path() / ("quimbo-bench-hwmon-" + std::to_string(::getpid()));
  fs::path dir;
};

void amdDesktop(Fixture& f) {
  f.device(0, "nvme");
  f.put("temp1_input", "41850"), f.put("temp1_label", "Composite");
  f.device(1, "k10temp");
  f.put("temp1_input", "68500"), f.put("temp1_label", "Tctl");
  f.put("temp3_input", "64250"), f.put("temp3_label", "Tccd1");
  f.device(2, "amdgpu");
  f.put("temp1_input", "51000"), f.put("temp1_label", "edge");
  f.put("temp2_input", "55000"), f.put("temp2_label", "junction");
  f.put("fan1_input", "1200"), f.put("fan1_min", "0"), f.put("fan1_max", "3300");
  f.device(3, "nct6798");
  f.put("temp1_input", "33000"), f.put("temp1_label", "SYSTIN");
  f.put("temp2_input", "45500"), f.put("temp2_label", "CPUTIN");
  for (int fan = 1; fan <= 3; ++fan) f.put("fan" + std::to_string(fan) + "_input", "900");
  f.device(4, "nvme");
  f.put("temp1_input", "47850"), f.put("temp1_label", "Composite");
}

void twoSocketServer(Fixture& f) {
  for (int socket = 0; socket < 2; ++socket) {
    f.device(socket, "coretemp");
    f.put("temp1_input", "70000"), f.put("temp1_label", "Package id " + std::to_string(socket));
    for (int core = 0; core < 16; ++core) {
      const std::string stem = "temp" + std::to_string(core + 2);
      f.put(stem + "_input", std::to_string(60000 + 500 * core));
      f.put(stem + "_label", "Core " + std::to_string(core));
    }
  }
  f.device(2, "nvme");
  f.put("temp1_input", "41850"), f.put("temp1_label", "Composite");
  f.device(3, "nvme");
  f.put("temp1_input", "47850"), f.put("temp1_label", "Composite");
  f.device(4, "nct6798");
  f.put("temp1_input", "33000"), f.put("temp1_label", "SYSTIN");
  for (int fan = 1; fan <= 4; ++fan) f.put("fan" + std::to_string(fan) + "_input", "2100");
}

void SamplingPassHwmon(benchmark::State& state, void (*fill)(Fixture&)) {
  Fixture fixture(fill);
  Unheard diagnostics;
  HwmonSmc smc(fixture.root / "class", diagnostics);
  timeSamplingPasses(state, smc);
}
BENCHMARK_CAPTURE(SamplingPassHwmon, amdDesktop, amdDesktop);
BENCHMARK_CAPTURE(SamplingPassHwmon, twoSocketServer, twoSocketServer);

void ReadAttributesDirectly(benchmark::State& state, void (*fill)(Fixture&)) {
  Fixture fixture(fill);
  std::vector<int> files;
  for (const auto& [key, source] : hwmon::mapSensors(*hwmon::scan(fixture.root / "class")).keys) {
    for (const std::string& path : source.paths) {
      files.push_back(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    }
  }
  char buffer[64];
  for (auto _ : state) {
    for (const int fd : files) benchmark::DoNotOptimize(::pread(fd, buffer, sizeof buffer, 0));
  }
  state.counters["files"] = static_cast<double>(files.size());
  for (const int fd : files) ::close(fd);
}
BENCHMARK_CAPTURE(ReadAttributesDirectly, amdDesktop, amdDesktop);
BENCHMARK_CAPTURE(ReadAttributesDirectly, twoSocketServer, twoSocketServer);

// One attribute as a pass reads it, on sysfs itself, beside a bare pread
// of it: a sysfs attribute of the CPUs', as no hwmon device may be there.
constexpr const char* kSysfsAttribute = "/sys/devices/system/cpu/kernel_max";

void ReadSysfsAttribute(benchmark::State& state) {
  hwmon::AttributeFile file(kSysfsAttribute);
  if (!file.read()) state.SkipWithError("no sysfs attribute to read");
  for (auto _ : state) benchmark::DoNotOptimize(file.read());
}
BENCHMARK(ReadSysfsAttribute);

void ReadSysfsAttributeDirectly(benchmark::State& state) {
  const int fd = ::open(kSysfsAttribute, O_RDONLY | O_CLOEXEC);
  char buffer[64];
  for (auto _ : state) benchmark::DoNotOptimize(::pread(fd, buffer, sizeof buffer, 0));
  ::close(fd);
}
BENCHMARK(ReadSysfsAttributeDirectly);

void RescanHwmon(benchmark::State& state, void (*fill)(Fixture&)) {
  Fixture fixture(fill);
  for (auto _ : state)
    benchmark::DoNotOptimize(hwmon::mapSensors(*hwmon::scan(fixture.root / "class")));
}
BENCHMARK_CAPTURE(RescanHwmon, amdDesktop, amdDesktop);
BENCHMARK_CAPTURE(RescanHwmon, twoSocketServer, twoSocketServer);

}  // namespace
}  // namespace quimbo

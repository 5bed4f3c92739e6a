// One sampling pass over a fixture of an AMD desktop (k10temp, amdgpu, an
// nct6798 with three fans, two nvme), beside the floor: reading the same
// attribute files once each from files already open.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bench/SamplingPasses.h"
#include "platform/linux/hwmon/HwmonScan.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#include "platform/linux/hwmon/SensorMap.h"

namespace quimbo {
namespace {

namespace fs = std::filesystem;

struct AmdDesktop {
  AmdDesktop() {
    fs::remove_all(root);
    const auto device = [&](int n, const char* name) {
      dir = root / ("hwmon" + std::to_string(n));
      fs::create_directories(dir);
      put("name", name);
    };
    device(0, "nvme");
    put("temp1_input", "41850"), put("temp1_label", "Composite");
    device(1, "k10temp");
    put("temp1_input", "68500"), put("temp1_label", "Tctl");
    put("temp3_input", "64250"), put("temp3_label", "Tccd1");
    device(2, "amdgpu");
    put("temp1_input", "51000"), put("temp1_label", "edge");
    put("temp2_input", "55000"), put("temp2_label", "junction");
    put("fan1_input", "1200"), put("fan1_min", "0"), put("fan1_max", "3300");
    device(3, "nct6798");
    put("temp1_input", "33000"), put("temp1_label", "SYSTIN");
    put("temp2_input", "45500"), put("temp2_label", "CPUTIN");
    for (int f = 1; f <= 3; ++f) put("fan" + std::to_string(f) + "_input", "900");
    device(4, "nvme");
    put("temp1_input", "47850"), put("temp1_label", "Composite");
  }
  ~AmdDesktop() { fs::remove_all(root); }
  void put(const std::string& file, const std::string& text) {
    std::ofstream(dir / file) << text << '\n';
  }

  fs::path root = fs::temp_directory_path() / ("quimbo-bench-hwmon-" + std::to_string(::getpid()));
  fs::path dir;
};

void SamplingPassHwmon(benchmark::State& state) {
  AmdDesktop fixture;
  HwmonSmc smc(fixture.root);
  timeSamplingPasses(state, smc);
}
BENCHMARK(SamplingPassHwmon);

void ReadAttributesDirectly(benchmark::State& state) {
  AmdDesktop fixture;
  std::vector<int> files;
  for (const auto& [key, source] : hwmon::mapSensors(hwmon::scan(fixture.root)).keys) {
    files.push_back(::open(source.path.c_str(), O_RDONLY | O_CLOEXEC));
  }
  char buffer[64];
  for (auto _ : state) {
    for (const int fd : files) benchmark::DoNotOptimize(::pread(fd, buffer, sizeof buffer, 0));
  }
  state.counters["files"] = static_cast<double>(files.size());
  for (const int fd : files) ::close(fd);
}
BENCHMARK(ReadAttributesDirectly);

void RescanHwmon(benchmark::State& state) {
  AmdDesktop fixture;
  for (auto _ : state) benchmark::DoNotOptimize(hwmon::mapSensors(hwmon::scan(fixture.root)));
}
BENCHMARK(RescanHwmon);

}  // namespace
}  // namespace quimbo

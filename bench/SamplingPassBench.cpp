// One sampling pass over the simulated laptop (two fans, eleven sensors,
// 36 exchanges).

#include <benchmark/benchmark.h>

#include "monitor/Monitor.h"
#include "platform/LinuxServiceManager.h"
#include "platform/MachineFile.h"
#include "platform/ManualRunLoop.h"
#include "platform/SimulatedSmc.h"

namespace quimbo {
namespace {

void SamplingPassSimulated(benchmark::State& state) {
  SimulatedSmc smc(MachineFile::load(QUIMBO_SOURCE_DIR "/machines/apple-silicon-laptop.machine"));
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  const auto mon = Monitor::make({smc, services, runLoop});
  for (auto _ : state) {
    mon->poll();
    benchmark::DoNotOptimize(mon->maxTemp());
  }
}
BENCHMARK(SamplingPassSimulated);

}  // namespace
}  // namespace quimbo

// One sampling pass over the simulated laptop (two fans, eleven sensors,
// 36 exchanges), and the longest pass there can be.

#include <benchmark/benchmark.h>

#include <set>
#include <string>

#include "bench/SamplingPasses.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/SimulatedSmc.h"

namespace quimbo {
namespace {

void SamplingPassSimulated(benchmark::State& state) {
  SimulatedSmc smc(MachineFile::load(QUIMBO_SOURCE_DIR "/machines/apple-silicon-laptop.machine"));
  timeSamplingPasses(state, smc);
}
BENCHMARK(SamplingPassSimulated);

// The most a pass can read: 255 fans with all three keys, and every sensor.
void SamplingPassMostFans(benchmark::State& state) {
  // A key is the last four characters of what is asked for (10Ac for
  // F10Ac), and from F110Ac on keys share theirs with a shorter one's (10Ac):
  // each is listed once, and answers for all its fans.
  std::string machine = "FNum \"ui8 \" ff\n";
  std::set<std::string> listed;
  for (int i = 0; i < 255; ++i) {
    for (const char* suffix : {"Ac", "Mn", "Mx"}) {
      const std::string key = SMC::typeStr(SMC::fourCC("F" + std::to_string(i) + suffix));
      if (listed.insert(key).second) machine += key + " \"flt \" = 1500\n";
    }
  }
  for (const SMC::TempKey& row : SMC::tempKeys)
    machine += std::string(row.key) + " \"flt \" = 50\n";
  SimulatedSmc smc(MachineFile::parse(machine, "most fans"));
  timeSamplingPasses(state, smc);
}
BENCHMARK(SamplingPassMostFans);

}  // namespace
}  // namespace quimbo

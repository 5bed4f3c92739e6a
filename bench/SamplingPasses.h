#pragma once

#include <benchmark/benchmark.h>

#include "monitor/Monitor.h"
#include "platform/linux/LinuxServiceManager.h"
#include "smc/UserClient.h"
#include "tests/support/ManualRunLoop.h"

namespace quimbo {

// Times the Monitor's sampling pass over `smc`, one pass per iteration.
inline void timeSamplingPasses(benchmark::State& state, UserClient& smc) {
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  const auto mon = Monitor::make({smc, services, runLoop});
  for (auto _ : state) {
    mon->poll();
    benchmark::DoNotOptimize(mon->maxTemp());
    benchmark::DoNotOptimize(mon->topRPM());
  }
}

}  // namespace quimbo

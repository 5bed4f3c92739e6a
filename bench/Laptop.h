#pragma once

#include "monitor/Monitor.h"
#include "platform/linux/LinuxServiceManager.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/SimulatedSmc.h"
#include "tests/QuitRecorder.h"
#include "tests/support/ManualRunLoop.h"
#include "ui/QuimboApp.h"

namespace quimbo {

// The application over the shipped simulated laptop, on a clock that only
// moves when told: every pass is the benchmark's own.
struct Laptop {
  SimulatedSmc smc{MachineFile::load(QUIMBO_SOURCE_DIR "/machines/apple-silicon-laptop.machine")};
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  testing::QuitRecorder quit;
  ui::QuimboApp app{[this] { return Monitor::make({smc, services, runLoop}); }, quit};
};

}  // namespace quimbo

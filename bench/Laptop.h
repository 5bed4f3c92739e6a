#pragma once

#include "monitor/Monitor.h"
#include "platform/LinuxServiceManager.h"
#include "platform/MachineFile.h"
#include "platform/ManualRunLoop.h"
#include "platform/SimulatedSmc.h"
#include "ui/QuimboApp.h"

namespace quimbo {

struct NoQuit final : ui::Application {
  void terminate() override {}
};

// The application over the shipped simulated laptop, on a clock that only
// moves when told: every pass is the benchmark's own.
struct Laptop {
  SimulatedSmc smc{MachineFile::load(QUIMBO_SOURCE_DIR "/machines/apple-silicon-laptop.machine")};
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  NoQuit quit;
  ui::QuimboApp app{[this] { return Monitor::make({smc, services, runLoop}); }, quit};
};

}  // namespace quimbo

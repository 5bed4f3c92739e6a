// Every status and response record of the SMC user client from the fuzzer:
// the Monitor's passes, the label, the panel and its terminal layout must
// survive all of them.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "fuzz/ScriptedSmc.h"
#include "monitor/Monitor.h"
#include "platform/linux/LinuxServiceManager.h"
#include "platform/terminal/Layout.h"
#include "tests/QuitRecorder.h"
#include "tests/support/ManualRunLoop.h"
#include "ui/QuimboApp.h"

namespace {

// The slowest pass seen, in CPU time of this thread (so that a busy machine
// does not count), printed at exit when QUIMBO_FUZZ_REPORT is set.
std::chrono::nanoseconds slowestPass{0};

std::chrono::nanoseconds threadTime() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void report() {
  std::fprintf(stderr, "slowest pass: %lld ns\n", static_cast<long long>(slowestPass.count()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (std::getenv("QUIMBO_FUZZ_REPORT") != nullptr) std::atexit(report);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace quimbo;
  FuzzedDataProvider data(bytes, size);
  fuzzing::ScriptedSmc smc(data);
  LinuxServiceManager services;
  ManualRunLoop runLoop;
  quimbo::testing::QuitRecorder quit;
  ui::QuimboApp app([&] { return Monitor::make({smc, services, runLoop}); }, quit);
  // The first pass runs inside the construction, the second here.
  ui::MenuBarExtra scene = app.body();
  const auto start = threadTime();
  app.mon().poll();
  slowestPass = std::max(slowestPass, threadTime() - start);

  scene = app.body();
  terminal::render(scene.label, 1000);
  terminal::render(scene.content.body(), 1000);
  return 0;
}

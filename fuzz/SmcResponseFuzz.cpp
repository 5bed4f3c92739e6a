// Every status and response record of the SMC user client from the fuzzer:
// the Monitor's passes, the label, the panel and its terminal layout must
// survive all of them.

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "fuzz/ScriptedSmc.h"
#include "monitor/Monitor.h"
#include "platform/LinuxServiceManager.h"
#include "platform/ManualRunLoop.h"
#include "platform/terminal/Layout.h"
#include "ui/QuimboApp.h"

namespace {

struct NoQuit final : quimbo::ui::Application {
  void terminate() override {}
};

// The slowest pass seen, printed at exit when QUIMBO_FUZZ_REPORT is set.
std::chrono::nanoseconds slowestPass{0};

void report() { std::fprintf(stderr, "slowest pass: %lld ns\n", static_cast<long long>(slowestPass.count())); }

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
  NoQuit quit;
  ui::QuimboApp app([&] { return Monitor::make({smc, services, runLoop}); }, quit);
  // The first pass runs inside the construction, the second here.
  ui::MenuBarExtra scene = app.body();
  const auto start = std::chrono::steady_clock::now();
  app.mon().poll();
  const auto took = std::chrono::steady_clock::now() - start;
  if (took > slowestPass) slowestPass = std::chrono::duration_cast<std::chrono::nanoseconds>(took);

  scene = app.body();
  terminal::render(scene.label, 1000);
  terminal::render(scene.content.body(), 1000);
  return 0;
}

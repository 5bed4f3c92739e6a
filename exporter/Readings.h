#pragma once

#include <vector>

#include "monitor/Monitor.h"
#include "monitor/TempSummary.h"
#include "smc/SMC.h"

namespace quimbo::exporter {

// What one sampling pass read, kept for the metrics: the same pass as the
// Monitor's, with every sensor's reading and what the SMC gave no value for.
struct Readings {
  bool available = false;
  std::vector<Monitor::FanSample> fans;
  std::vector<SMC::Temp> temperatures;
  TempSummary summary;
  double time = 0;  // when the pass ran, in seconds since the Unix epoch

  // One pass over `smc`, opening it first while it is not open; nothing is
  // read while it does not open.
  static Readings sample(SMC& smc, double time);
};

}  // namespace quimbo::exporter

#pragma once

#include <cstdint>

namespace quimbo {

// One fan's reading from one sampling pass; speeds in rpm, 0 where the SMC
// gave no value. Identified by `id`, the fan's index in its SMC keys.
struct FanReading {
  std::int64_t id;
  double rpm;
  double min;
  double max;
};

}  // namespace quimbo

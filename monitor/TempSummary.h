#pragma once

namespace quimbo {

// The highest temperature of one sampling pass in each group, in °C; 0 for a
// group without a reading.
struct TempSummary {
  double cpu = 0;
  double gpu = 0;
  double ssd = 0;
  double ambient = 0;
};

}  // namespace quimbo

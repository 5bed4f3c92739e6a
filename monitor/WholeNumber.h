#pragma once

#include <cstdint>
#include <limits>

namespace quimbo {

// A double as a 64-bit whole number, truncated toward zero (57.8 -> 57,
// -0.5 -> 0). Every double-to-integer conversion goes through here: a plain
// cast of NaN or of a value beyond the 64-bit range is undefined behaviour.
// NaN gives 0; values beyond the range saturate at its ends.
constexpr std::int64_t wholeNumber(double value) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (value != value) return 0;  // NaN; std::isnan is constexpr only from C++23
  if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
  if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

}  // namespace quimbo

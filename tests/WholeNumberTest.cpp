#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <limits>

#include "monitor/WholeNumber.h"

namespace quimbo {
namespace {

constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
constexpr double kTwoTo63 = 9223372036854775808.0;

struct Case {
  double value;
  std::int64_t whole;
};

// 2^63 is the first double a cast may not take; the double below it is
// 2^63 - 1024, and -2^63 is the last one it may.
constexpr std::array kCases = std::to_array<Case>({
    {57.8, 57},
    {2499.9, 2499},
    {-0.5, 0},
    {-2.9, -2},
    {std::numeric_limits<double>::quiet_NaN(), 0},
    {std::numeric_limits<double>::infinity(), kMax},
    {-std::numeric_limits<double>::infinity(), kMin},
    {kTwoTo63, kMax},
    {kTwoTo63 - 1024, kMax - 1023},
    {-kTwoTo63, kMin},
    {-kTwoTo63 - 2048, kMin},
});

// Evaluated by the compiler, where an out-of-range cast does not compile.
static_assert(std::all_of(kCases.begin(), kCases.end(),
                          [](Case c) { return wholeNumber(c.value) == c.whole; }));

TEST(WholeNumber, TruncatesTowardZeroAndSaturates) {
  for (const Case& c : kCases) {
    // At run time too, with a value the optimiser cannot fold away.
    volatile double value = c.value;
    EXPECT_EQ(wholeNumber(value), c.whole) << c.value;
  }
}

}  // namespace
}  // namespace quimbo

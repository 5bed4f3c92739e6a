#pragma once

#include "ui/Color.h"

namespace quimbo::ui {

// Green below 70 °C, orange below 90 °C, red otherwise (also for NaN).
constexpr Color temperatureColor(double celsius) {
  if (celsius < 70) return kGreen;
  if (celsius < 90) return kOrange;
  return kRed;
}

}  // namespace quimbo::ui

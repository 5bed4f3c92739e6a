#pragma once

#include "smc/SMC.h"

namespace quimbo {

// The highest temperature of one sampling pass in each group, in °C; 0 for a
// group without a reading.
struct TempSummary {
  double cpu = 0;
  double gpu = 0;
  double ssd = 0;
  double ambient = 0;

  // The field that holds a group's highest reading.
  static constexpr double TempSummary::*field(SMC::Group group) {
    switch (group) {
      case SMC::Group::cpu:
        return &TempSummary::cpu;
      case SMC::Group::gpu:
        return &TempSummary::gpu;
      case SMC::Group::ssd:
        return &TempSummary::ssd;
      case SMC::Group::ambient:
        return &TempSummary::ambient;
    }
    return &TempSummary::cpu;
  }
};

}  // namespace quimbo

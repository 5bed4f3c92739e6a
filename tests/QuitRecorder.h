#pragma once

#include "ui/Application.h"

namespace quimbo::testing {

// The quit port, counting how often the views asked to quit.
struct QuitRecorder final : ui::Application {
  int quits = 0;
  void terminate() override { ++quits; }
};

}  // namespace quimbo::testing

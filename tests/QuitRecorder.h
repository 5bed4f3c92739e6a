#pragma once

#include "ui/Application.h"

namespace quimbo::testing {

// The application port, counting how often the views asked to quit; no logo.
struct QuitRecorder final : ui::Application {
  int quits = 0;
  void terminate() override { ++quits; }
  const std::optional<ui::Logo>& logo() const override { return noLogo; }
  std::optional<ui::Logo> noLogo;
};

}  // namespace quimbo::testing

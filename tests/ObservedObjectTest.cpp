#include <gtest/gtest.h>

#include <optional>

#include "tests/MonitorHarness.h"
#include "tests/QuitRecorder.h"
#include "ui/ObservedObject.h"
#include "ui/QuimboApp.h"

namespace quimbo::ui {
namespace {

using namespace std::chrono_literals;

TEST(ObservedObject, ALabelRebuiltAfterAPassReadsTheNewValues) {
  testing::MonitorHarness h("FNum \"ui8 \" 01\nF0Ac \"flt \" = 1840\nTp01 \"flt \" = 57.8\n");
  const auto mon = h.make();
  std::vector<std::string> labels;
  std::optional<ObservedObject> observer(std::in_place, *mon, h.runLoop, [&] {
    labels.push_back(QuimboApp::menuBarLabel(*mon).as<Text>()->string());
  });
  h.smc.setMachine(
      MachineFile::parse("FNum \"ui8 \" 01\nF0Ac \"flt \" = 2100\nTp01 \"flt \" = 61\n", "test"));
  h.runLoop.advance(2s);
  EXPECT_EQ(labels, std::vector<std::string>{"61° · 2100"})
      << "the pass's three signals told once, after the pass stored its values";
  h.runLoop.advance(2s);
  EXPECT_EQ(labels.size(), 2u) << "the next pass's signals told again";

  mon->poll();  // a telling posted
  observer.reset();
  h.runLoop.advance(2s);
  EXPECT_EQ(labels.size(), 2u) << "nothing is told once the observer is gone";
}

TEST(QuimboApp, OwnsOneMonitorMadeOnFirstUse) {
  testing::MonitorHarness h("Tp01 \"flt \" = 57.8\n");
  testing::QuitRecorder app;
  int made = 0;
  QuimboApp quimbo(
      [&] {
        ++made;
        return h.make();
      },
      app);
  EXPECT_EQ(made, 0) << "not before the scene is first built";
  quimbo.body();
  EXPECT_EQ(quimbo.body().label.as<Text>()->string(), "57° · 0");
  EXPECT_EQ(made, 1);
}

}  // namespace
}  // namespace quimbo::ui

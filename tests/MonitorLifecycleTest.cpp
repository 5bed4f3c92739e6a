#include <gtest/gtest.h>

#include "tests/MonitorHarness.h"
#include "tests/RecordingUserClient.h"

namespace quimbo {
namespace {

using namespace std::chrono_literals;
using testing::MonitorHarness;

constexpr const char* kLaptop = "FNum \"ui8 \" 01\nF0Ac \"flt \" = 1840\nTp01 \"flt \" = 57.8\n";

TEST(MonitorLifecycle, FirstReadingsAtConstructionThenAPassEveryTwoSeconds) {
  MonitorHarness h(kLaptop);
  const auto mon = h.make();
  EXPECT_TRUE(mon->available());
  EXPECT_EQ(mon->topRPM(), 1840);
  EXPECT_EQ(mon->maxTemp(), 57.799999237060547);  // the float the SMC holds
  EXPECT_EQ(h.services.unregistered, std::vector<std::string>{"com.zelprin.quimbo.helper.plist"})
      << "the refused unregistration is dropped";

  int passes = 0;
  auto subscription = mon->objectWillChange().subscribe([&] { ++passes; });
  h.runLoop.advance(1999ms);
  EXPECT_EQ(passes, 0);
  h.smc.setMachine(MachineFile::parse("FNum \"ui8 \" 01\nF0Ac \"flt \" = 2500\n", "test"));
  h.runLoop.advance(1ms);
  EXPECT_EQ(passes, 3) << "one pass, three notifications, at 2 s";
  EXPECT_EQ(mon->topRPM(), 2500);
  h.runLoop.advance(6s);
  EXPECT_EQ(passes, 12) << "one more pass every 2 s";
}

TEST(MonitorLifecycle, WithoutTheSmcTheHelperIsRemovedButNothingIsReadNorTold) {
  testing::RecordingUserClient refusing;
  refusing.openStatus = -1;
  testing::RecordingServiceManager services;
  ManualRunLoop runLoop;
  const auto mon = Monitor::make({refusing, services, runLoop});
  int notifications = 0;
  auto subscription = mon->objectWillChange().subscribe([&] { ++notifications; });
  for (int i = 0; i < 3; ++i) mon->poll();
  runLoop.advance(10s);
  EXPECT_FALSE(mon->available());
  EXPECT_EQ(notifications, 0);
  EXPECT_EQ(services.unregistered.size(), 1u);
  EXPECT_TRUE(refusing.exchanges.empty());
  EXPECT_EQ(refusing.opens.size(), 1u) << "the SMC is never opened again";
}

TEST(MonitorLifecycle, ATickOnlyPostsThePassWhichHoldsTheMonitorWeakly) {
  MonitorHarness h(kLaptop);
  auto mon = h.make();
  int passes = 0;
  auto subscription = mon->objectWillChange().subscribe([&] { ++passes; });
  h.runLoop.fireTimers(2s);
  EXPECT_EQ(passes, 0) << "the tick returns before the pass";
  EXPECT_EQ(h.runLoop.pendingTasks(), 1u);
  h.runLoop.runPending();
  EXPECT_EQ(passes, 3);

  const std::weak_ptr<Monitor> weak = mon;
  h.runLoop.fireTimers(2s);
  ASSERT_EQ(h.runLoop.pendingTasks(), 1u);
  mon.reset();
  EXPECT_TRUE(weak.expired()) << "the pending task holds only a weak reference";
  h.runLoop.runPending();
  EXPECT_EQ(passes, 3);
}

}  // namespace
}  // namespace quimbo

#include <gtest/gtest.h>

#include "monitor/WholeNumber.h"
#include "tests/MonitorHarness.h"

namespace quimbo {
namespace {

using testing::MonitorHarness;

TEST(MonitorPoll, ReadsEveryFanInIndexOrderWithMissingValuesAsZero) {
  MonitorHarness h(
      "FNum \"flt \" = 2.9\nF0Ac \"flt \" = 1800\nF0Mx \"flt \" = 5000\n"
      "F1Ac \"flt \" = 2499.9\nF1Mn \"flt \" = 1000\nF1Mx \"flt \" = 6000\n");
  const auto mon = h.make();
  ASSERT_EQ(testing::published(*mon), "0/0/0/0 max 0 | 1800/0/5000 2499/1000/6000")
      << "2.9 fans are two; a missing Mn reads 0";
  EXPECT_EQ(mon->fans()[1].id, 1);
  EXPECT_EQ(mon->topRPM(), 2499);
}

TEST(MonitorPoll, AFanCountThatCannotIndexFansMeansNoFans) {
  for (const char* count :
       {"", "FNum !84", "FNum \"ui8 \" 00", "FNum \"flt \" = -1", "FNum \"flt \" 00 00 c0 7f",
        "FNum \"flt \" 00 00 80 7f", "FNum \"ui16\" = 256", "FNum \"flt \" = 1e30"}) {
    MonitorHarness h(std::string(count) + "\nF0Ac \"flt \" = 1800\n");
    const auto mon = h.make();
    EXPECT_TRUE(mon->fans().empty()) << "'" << count << "'";
    EXPECT_EQ(mon->topRPM(), 0) << "'" << count << "'";
  }
  MonitorHarness most("FNum \"ui8 \" ff\n");
  EXPECT_EQ(most.make()->fans().size(), 255u);
}

TEST(MonitorPoll, GroupsTemperaturesByLabel) {
  const struct {
    const char* what;
    const char* machine;
    const char* published;
  } cases[] = {
      {"highest per group",
       "Tp01 \"flt \" = 50\nTp05 \"flt \" = 61\nTe05 \"flt \" = 55\nTg0f \"flt \" = 40\n"
       "Tg0j \"flt \" = 44\nTaLP \"flt \" = 30\nTaRP \"flt \" = 29\n",
       "61/44/0/30 max 61 |"},
      {"SSD hotter than CPU and GPU",
       "Tp01 \"flt \" = 50\nTg0f \"flt \" = 52\nTs0S \"flt \" = 70\n", "50/52/70/0 max 52 |"},
      {"no sensors", "", "0/0/0/0 max 0 |"},
  };
  for (const auto& c : cases) {
    MonitorHarness h(c.machine);
    EXPECT_EQ(testing::published(*h.make()), c.published) << c.what;
  }
}

TEST(MonitorPoll, EveryPassNotifiesThreeTimesBeforeEachStore) {
  MonitorHarness h("FNum \"ui8 \" 01\nF0Ac \"flt \" = 1800\nTp01 \"flt \" = 50\n");
  const auto mon = h.make();
  // What an observer sees when told: the previous value of the property
  // being assigned.
  std::vector<std::string> seen;
  auto subscription = mon->objectWillChange().subscribe([&] {
    seen.push_back(std::to_string(mon->fans().size()) + "/" +
                   std::to_string(wholeNumber(mon->summary().cpu)) + "/" +
                   std::to_string(wholeNumber(mon->maxTemp())));
  });
  h.smc.setMachine(MachineFile::parse("FNum \"ui8 \" 02\nTp01 \"flt \" = 60\n", "test"));
  mon->poll();
  EXPECT_EQ(seen, (std::vector<std::string>{"1/50/50", "2/50/50", "2/60/50"}));

  seen.clear();
  mon->poll();
  EXPECT_EQ(seen.size(), 3u) << "equal values notify all the same";
}

}  // namespace
}  // namespace quimbo

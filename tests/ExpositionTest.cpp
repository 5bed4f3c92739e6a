#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "exporter/Exposition.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/SimulatedSmc.h"
#include "platform/userclient/AbsentSmc.h"
#include "tests/MonitorHarness.h"

namespace quimbo::exporter {
namespace {

TEST(Exposition, WritesWhatThePassReadAndNothingItDidNot) {
  // Fan 1 without limits, fan 2 with a minimum only; no GPU.
  constexpr const char* kMachine =
      "FNum \"ui8 \" 02\nF0Ac \"flt \" = 1840.5\nF1Mn \"flt \" = 1200\n"
      "Tp01 \"flt \" = 57.8\nTe05 \"flt \" = 60.25\n";
  struct Case {
    bool open;
    std::vector<std::string> lines;   // whole lines the text holds
    std::vector<std::string> absent;  // what it must not hold anywhere
  };
  const Case cases[] = {
      {true,
       {"quimbo_smc_available 1", "# TYPE quimbo_temperature_celsius gauge",
        "quimbo_temperature_celsius{group=\"cpu\"} 60.25",
        "quimbo_sensor_temperature_celsius{key=\"Tp01\",label=\"P-core\"} 57.79999923706055",
        "quimbo_fan_speed_rpm{fan=\"1\"} 1840.5", "quimbo_fan_min_rpm{fan=\"2\"} 1200",
        "quimbo_last_pass_timestamp_seconds 1700000000.25", "quimbo_build_info{version=\"1.2\"} 1"},
       {"group=\"gpu\"", "quimbo_fan_min_rpm{fan=\"1\"}", "quimbo_fan_speed_rpm{fan=\"2\"}"}},
      {false,
       {"quimbo_smc_available 0", "quimbo_last_pass_timestamp_seconds 1700000000.25"},
       {"quimbo_temperature_celsius", "quimbo_sensor", "quimbo_fan"}},
  };
  for (const Case& c : cases) {
    SimulatedSmc client(MachineFile::parse(kMachine, "test"));
    AbsentSmc absent;
    // Not opened yet: the pass opens it, where there is one.
    SMC smc(c.open ? static_cast<UserClient&>(client) : absent);
    const std::string text = "\n" + exposition(Readings::sample(smc, 1700000000.25), "1.2");
    for (const std::string& line : c.lines) {
      EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos) << line << " not in:" << text;
    }
    for (const std::string& absent : c.absent) {
      EXPECT_EQ(text.find(absent), std::string::npos) << "nothing read, yet:" << text;
    }
  }
}

// A speed that is not a finite number of at least 0 is no reading: the panel
// shows it as it shows a missing one, and the exporter leaves it out.
TEST(Exposition, ASpeedThatIsNoNumberOfRevolutionsIsNoReadingOnThePanelAndHereAlike) {
  const std::pair<const char*, const char*> cases[] = {
      {"= 1840.5", "1840.5"}, {"= 0", "0"},       {"= -0", "0"},      {"= -500", nullptr},
      {"= nan", nullptr},     {"= inf", nullptr}, {"= -inf", nullptr}};
  for (const auto& [value, written] : cases) {
    std::string machine = "FNum \"ui8 \" 01\n";
    for (const char* key : {"F0Ac ", "F0Mn ", "F0Mx "})
      machine += key + ("\"flt \" " + std::string(value)) + "\n";
    quimbo::testing::MonitorHarness h(machine);
    const double shown = written ? std::stod(written) : 0;
    const FanReading fan = h.make()->fans().at(0);
    EXPECT_TRUE(fan.rpm == shown && fan.min == shown && fan.max == shown && !std::signbit(fan.rpm))
        << value << ": the panel shows " << fan.rpm << "/" << fan.min << "/" << fan.max;

    SMC smc(h.smc);
    smc.open();
    const std::string text = exposition(Readings::sample(smc, 0), "1");
    for (const char* metric :
         {"quimbo_fan_speed_rpm", "quimbo_fan_min_rpm", "quimbo_fan_max_rpm"}) {
      const std::string series = "\n" + std::string(metric) + "{fan=\"1\"} ";
      EXPECT_EQ(text.find(written ? series + written + "\n" : series) != std::string::npos,
                written != nullptr)
          << value << ": " << text;
    }
  }
}

TEST(Exposition, EscapesLabelValuesAndWritesSpecialValuesAsPrometheusReadsThem) {
  EXPECT_EQ(escapeLabelValue("a\\b\"c\nd Ç"), "a\\\\b\\\"c\\nd Ç");
  const std::pair<double, const char*> values[] = {{0.1, "0.1"},       {-3, "-3"},
                                                   {1e21, "1e+21"},    {std::nan(""), "NaN"},
                                                   {HUGE_VAL, "+Inf"}, {-HUGE_VAL, "-Inf"}};
  for (const auto& [value, text] : values) EXPECT_EQ(sampleValue(value), text);
}

}  // namespace
}  // namespace quimbo::exporter

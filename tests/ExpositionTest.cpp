#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "exporter/Exposition.h"
#include "platform/simulated/MachineFile.h"
#include "platform/simulated/SimulatedSmc.h"

namespace quimbo::exporter {
namespace {

// The metrics of one pass over a simulated machine, at time 1700000000.25.
std::string metricsOf(const std::string& machineText, bool open = true) {
  SimulatedSmc client(MachineFile::parse(machineText, "test"));
  SMC smc(client);
  if (open) smc.open();
  return exposition(Readings::sample(smc, 1700000000.25), "1.2.3");
}

bool has(const std::string& text, const std::string& line) {
  return text.find("\n" + line + "\n") != std::string::npos || text.starts_with(line + "\n");
}

TEST(Exposition, WritesWhatThePassReadAndNothingItDidNot) {
  const std::string text = metricsOf(R"(
    FNum "ui8 " 02
    F0Ac "flt " = 1840.5
    F0Mx "flt " = 5779
    F1Mn "flt " = 1200
    Tp01 "flt " = 57.8
    Te05 "flt " = 60.25
    TaLP "flt " = 31
  )");
  for (const char* line : {
           "quimbo_smc_available 1",
           "# TYPE quimbo_temperature_celsius gauge",
           "quimbo_temperature_celsius{group=\"cpu\"} 60.25",
           "quimbo_temperature_celsius{group=\"ambient\"} 31",
           "quimbo_sensor_temperature_celsius{key=\"Tp01\",label=\"P-core\"} 57.79999923706055",
           "quimbo_fan_speed_rpm{fan=\"1\"} 1840.5",
           "quimbo_fan_max_rpm{fan=\"1\"} 5779",
           "quimbo_fan_min_rpm{fan=\"2\"} 1200",
           "quimbo_last_pass_timestamp_seconds 1700000000.25",
           "quimbo_build_info{version=\"1.2.3\"} 1",
       }) {
    EXPECT_TRUE(has(text, line)) << "missing: " << line << "\nin:\n" << text;
  }
  for (const char* absent : {"group=\"gpu\"", "group=\"ssd\"", "quimbo_fan_min_rpm{fan=\"1\"}",
                             "quimbo_fan_max_rpm{fan=\"2\"}", "quimbo_fan_speed_rpm{fan=\"2\"}"}) {
    EXPECT_EQ(text.find(absent), std::string::npos) << "a value nobody read: " << absent;
  }
}

TEST(Exposition, WithoutTheSmcSaysSoAndLeavesOutTheReadingsWithTheirHelp) {
  const std::string text = metricsOf("FNum \"ui8 \" 01\nTp01 \"flt \" = 57\n", false);
  EXPECT_TRUE(has(text, "quimbo_smc_available 0")) << text;
  EXPECT_TRUE(has(text, "quimbo_last_pass_timestamp_seconds 1700000000.25")) << text;
  for (const char* family : {"quimbo_temperature_celsius", "quimbo_sensor", "quimbo_fan"}) {
    EXPECT_EQ(text.find(family), std::string::npos) << family << " in:\n" << text;
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

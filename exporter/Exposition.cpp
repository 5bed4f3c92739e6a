#include "exporter/Exposition.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

namespace quimbo::exporter {

namespace {

using Label = std::pair<std::string_view, std::string_view>;

struct Series {
  std::string labels;  // `{name="value",...}`, or empty
  double value;
};

std::string labelSet(std::initializer_list<Label> labels) {
  std::string text;
  for (const auto& [name, value] : labels) {
    text += text.empty() ? "{" : ",";
    text += name;
    text += "=\"";
    text += escapeLabelValue(value);
    text += '"';
  }
  if (!text.empty()) text += '}';
  return text;
}

// What a pass over a machine of two fans and eleven sensors writes, with
// room to spare: the text is built without growing.
constexpr std::size_t kTypicalSize = 4096;

void appendSampleValue(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
  } else if (std::isinf(value)) {
    out += value > 0 ? "+Inf" : "-Inf";
  } else {
    char digits[32];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    out.append(digits, end);
  }
}

// A gauge and its series; a gauge without series is left out whole.
void gauge(std::string& out, std::string_view name, std::string_view help,
           const std::vector<Series>& series) {
  if (series.empty()) return;
  out.append("# HELP ").append(name).append(" ").append(help).append("\n");
  out.append("# TYPE ").append(name).append(" gauge\n");
  for (const Series& s : series) {
    out.append(name).append(s.labels).append(" ");
    appendSampleValue(out, s.value);
    out += '\n';
  }
}

// One fan speed per fan that has it, numbered from 1 as the panel shows them.
std::vector<Series> fanSeries(const Readings& readings,
                              std::optional<double> Monitor::FanSample::*speed) {
  std::vector<Series> series;
  for (const Monitor::FanSample& fan : readings.fans) {
    if (const std::optional<double> value = fan.*speed) {
      series.push_back({labelSet({{"fan", std::to_string(fan.id + 1)}}), *value});
    }
  }
  return series;
}

}  // namespace

std::string escapeLabelValue(std::string_view value) {
  std::string escaped;
  for (const char c : value) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '"':
        escaped += "\\\"";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string sampleValue(double value) {
  std::string text;
  appendSampleValue(text, value);
  return text;
}

std::string exposition(const Readings& readings, std::string_view version) {
  std::string out;
  out.reserve(kTypicalSize);
  gauge(out, "quimbo_smc_available", "Whether the SMC could be opened (1) or not (0).",
        {{"", readings.available ? 1.0 : 0.0}});

  constexpr std::pair<std::string_view, double TempSummary::*> kGroups[] = {
      {"cpu", &TempSummary::cpu},
      {"gpu", &TempSummary::gpu},
      {"ssd", &TempSummary::ssd},
      {"ambient", &TempSummary::ambient}};
  std::vector<Series> groups;
  for (const auto& [group, field] : kGroups) {
    // Readings lie strictly above 5 °C: 0 is a group without one.
    if (readings.summary.*field > 0) {
      groups.push_back({labelSet({{"group", group}}), readings.summary.*field});
    }
  }
  gauge(out, "quimbo_temperature_celsius",
        "The hottest sensor of each group in the last pass, in degrees Celsius.", groups);

  std::vector<Series> sensors;
  for (const SMC::Temp& t : readings.temperatures) {
    sensors.push_back({labelSet({{"key", t.key}, {"label", t.label}}), t.celsius});
  }
  gauge(out, "quimbo_sensor_temperature_celsius",
        "Each sensor read in the last pass, in degrees Celsius.", sensors);

  gauge(out, "quimbo_fan_speed_rpm", "Each fan's actual speed, in revolutions per minute.",
        fanSeries(readings, &Monitor::FanSample::rpm));
  gauge(out, "quimbo_fan_min_rpm", "Each fan's minimum speed, in revolutions per minute.",
        fanSeries(readings, &Monitor::FanSample::min));
  gauge(out, "quimbo_fan_max_rpm", "Each fan's maximum speed, in revolutions per minute.",
        fanSeries(readings, &Monitor::FanSample::max));

  gauge(out, "quimbo_last_pass_timestamp_seconds",
        "When the last pass ran, in seconds since the Unix epoch.", {{"", readings.time}});
  gauge(out, "quimbo_build_info", "The version of quimbo-exporter that wrote these metrics.",
        {{labelSet({{"version", version}}), 1}});
  return out;
}

}  // namespace quimbo::exporter

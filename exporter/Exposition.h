#pragma once

#include <string>
#include <string_view>

#include "exporter/Readings.h"

namespace quimbo::exporter {

// The readings of one pass in Prometheus' text exposition format: every
// metric with its HELP and TYPE lines, and only the series that have a value.
std::string exposition(const Readings& readings, std::string_view version);

// A label value with backslash, double quote and line feed escaped.
std::string escapeLabelValue(std::string_view value);

// A sample value: the shortest decimal that reads back as the same double;
// NaN, +Inf and -Inf as Prometheus writes them.
std::string sampleValue(double value);

}  // namespace quimbo::exporter

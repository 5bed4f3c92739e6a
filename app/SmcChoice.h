#pragma once

#include <memory>
#include <string_view>

#include "platform/process/Diagnostics.h"
#include "platform/process/Rights.h"
#include "smc/UserClient.h"

namespace quimbo {

// The SMC user client a program reads: the simulated machine of the file in
// QUIMBO_SMC_SIM (traced into QUIMBO_SMC_TRACE), or the system's own. Throws
// when the machine file or the trace file cannot be used.
[[nodiscard]] std::unique_ptr<UserClient> chosenSmcUserClient(Diagnostics& diagnostics);

// What the chosen user client reads as it runs: the machine file's folder
// (a file replaced by rename is a new file there), or the system's sensors.
[[nodiscard]] Rights chosenSmcRights();

// What a program's --help says of these variables, under "Environment:".
inline constexpr std::string_view kSmcChoiceHelp =
    "  QUIMBO_SMC_SIM=FILE     read a simulated SMC described by FILE\n"
    "  QUIMBO_SMC_TRACE=FILE   append every simulated SMC exchange to FILE\n"
    "  QUIMBO_HWMON_ROOT=DIR   read the hardware sensors under DIR instead of\n"
    "                          /sys/class/hwmon\n";

}  // namespace quimbo

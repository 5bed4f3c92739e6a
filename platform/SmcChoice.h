#pragma once

#include <memory>

#include "platform/Diagnostics.h"
#include "smc/UserClient.h"

namespace quimbo {

// The SMC user client a program reads: the simulated machine of the file in
// QUIMBO_SMC_SIM (traced into QUIMBO_SMC_TRACE), or the system's own. Throws
// when the machine file or the trace file cannot be used.
std::unique_ptr<UserClient> chosenSmcUserClient(Diagnostics& diagnostics);

}  // namespace quimbo

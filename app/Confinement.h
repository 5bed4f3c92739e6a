#pragma once

#include "platform/process/Diagnostics.h"
#include "platform/process/Rights.h"

namespace quimbo {

// Confines the process for the rest of its life, once it has opened what it
// needs (Rights.h): from then on it reads only where the chosen SMC user
// client reads and what `rights` names, writes only in `rights`' folders,
// and executes nothing. Where the system cannot confine it, `diagnostics`
// is told so in one line and the process runs as before.
void confineProcess(Rights rights, Diagnostics& diagnostics);

}  // namespace quimbo

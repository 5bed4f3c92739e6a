#include "platform/Confinement.h"

#include "platform/SmcChoice.h"
#include "platform/System.h"

namespace quimbo {

void confineProcess(Rights rights, Diagnostics& diagnostics) {
  rights += chosenSmcRights();
  if (const auto why = System::confine(std::move(rights))) {
    diagnostics.report("runs unconfined: " + *why);
  }
}

}  // namespace quimbo

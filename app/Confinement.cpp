#include "app/Confinement.h"

#include "app/SmcChoice.h"
#include "app/System.h"

namespace quimbo {

void confineProcess(Rights rights, Diagnostics& diagnostics) {
  rights += chosenSmcRights();
  if (const auto why = System::confine(std::move(rights))) {
    diagnostics.report("runs unconfined: " + why->reason);
  }
}

}  // namespace quimbo

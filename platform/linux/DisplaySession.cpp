#include "platform/linux/DisplaySession.h"

#include "platform/process/Environment.h"

namespace quimbo {

DisplaySession displaySession() {
  return {environmentValue("DISPLAY").has_value(), environmentValue("WAYLAND_DISPLAY").has_value(),
          environmentValue("QT_QPA_PLATFORM").has_value()};
}

}  // namespace quimbo

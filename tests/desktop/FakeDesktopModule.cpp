// A stand-in for the desktop module, built once per interface it declares:
// none, another build's, and this build's.

#include "platform/desktop/DesktopModule.h"

#ifdef FAKE_INTERFACE_VERSION
extern "C" const int quimbo_desktop_interface_version = FAKE_INTERFACE_VERSION;
#endif

extern "C" int quimbo_run_desktop(quimbo::UserClient&, quimbo::ServiceManager&, char*, bool,
                                  const quimbo::ConfineDesktop&) {
  return 42;
}

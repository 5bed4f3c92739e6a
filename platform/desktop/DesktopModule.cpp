#include "platform/desktop/DesktopModule.h"

#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include "monitor/Monitor.h"
#include "platform/desktop/DesktopFrontEnd.h"
#include "platform/desktop/DesktopRights.h"
#include "platform/desktop/MenuBarItem.h"
#include "platform/desktop/QtRunLoop.h"
#include "platform/desktop/SignalWatchdog.h"
#include "platform/process/Bundle.h"
#include "platform/process/IgnoreSignals.h"
#include "platform/runloop/SignalSource.h"
#include "ui/QuimboApp.h"

namespace {

constexpr std::initializer_list<int> kQuitSignals = {SIGINT, SIGTERM, SIGHUP};
// How long the event loop has to end after a quit signal before the process
// ends without it.
constexpr std::chrono::seconds kQuitGrace(1);

// What the display's absence is answered with, kept here because Qt's
// message handler, which meets it, is a plain function: what Qt said last
// while it was connecting, and whether the terminal front end may stand in,
// as the program said.
std::string startUpWarning;
bool terminalMayStandIn = false;

// Where the desktop cannot be used, the terminal stands in when there is one,
// unless the desktop was asked for by name. The program starts again from
// the beginning, with the terminal front end; nothing has been shown yet.
[[noreturn]] void withoutDisplay() {
  std::string why = "the display cannot be reached";
  if (!startUpWarning.empty()) why += " (" + startUpWarning + ")";
  const std::optional<quimbo::Bundle> bundle = quimbo::Bundle::main();
  if (bundle && terminalMayStandIn) {
    std::cerr << "quimbo: " << why << "; running in the terminal" << std::endl;
    ::setenv("QUIMBO_FRONTEND", "terminal", 1);
    sigset_t taken;
    sigemptyset(&taken);
    for (const int signal : kQuitSignals) sigaddset(&taken, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &taken, nullptr);
    const std::string program = bundle->executablePath().string();
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    ::execv(program.c_str(), argv);
    why += "; the terminal front end cannot be started: " + std::string(std::strerror(errno));
  }
  std::cerr << "quimbo: " << why << std::endl;
  std::_Exit(1);
}

// Qt ends the process when it cannot reach the display. Its warnings while
// it tries are kept to say why; later ones go to standard error.
void onQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) withoutDisplay();
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  if (QCoreApplication::startingUp()) {
    startUpWarning = message.toStdString();
  } else {
    std::cerr << message.toStdString() << '\n';
  }
}

}  // namespace

extern "C" const int quimbo_desktop_interface_version = kDesktopInterfaceVersion;

extern "C" int quimbo_run_desktop(quimbo::UserClient& smc, quimbo::ServiceManager& services,
                                  char* program, bool terminalMayStandIn,
                                  const quimbo::ConfineDesktop& confine) {
  using namespace quimbo;
  ::terminalMayStandIn = terminalMayStandIn;
  qInstallMessageHandler(onQtMessage);
  // Taken before Qt starts its threads, which inherit the blocked mask: an
  // interrupt or a logout's SIGTERM then ends the event loop, and the
  // windows are taken down in order, with the terminal front end's status.
  // Where the loop is stuck in a round trip to a display server that does
  // not answer, the watchdog ends the process with that status.
  SignalWatchdog quitSignals(SignalSource::make(kQuitSignals), kQuitGrace);
  desktop::prepareDisplay();
  int argc = 1;
  char* argv[] = {program, nullptr};
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quimbo"));
  QApplication::setQuitOnLastWindowClosed(false);
  QSocketNotifier onSignal(quitSignals.fd(), QSocketNotifier::Read);
  // The first quit signal sets the status; those that follow change nothing.
  bool quitting = false;
  QObject::connect(&onSignal, &QSocketNotifier::activated, [&] {
    quitSignals.drain([&](int signal) {
      if (!std::exchange(quitting, true)) QApplication::exit(128 + signal);
    });
  });
  desktop::QtRunLoop loop;
  const std::optional<Bundle> bundle = Bundle::main();
  desktop::DesktopFrontEnd desktop(loop, bundle);
  ui::QuimboApp app([&] { return Monitor::make({smc, services, loop}); }, desktop);
  // At the event loop's first turn: the display and the session bus are
  // connected, the plugins loaded, the Monitor made and the item shown.
  QTimer::singleShot(0, [&] { confine(desktop::desktopRights(bundle)); });
  const int status = desktop.run(app);
  // The status is known: a quit signal that comes while the windows go
  // must not end the process anew, with its own status.
  ignoreSignals(kQuitSignals);
  return status;
}

#include "platform/desktop/DesktopModule.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <iostream>

#include "monitor/Monitor.h"
#include "platform/desktop/DesktopFrontEnd.h"
#include "platform/desktop/DisplayPlatform.h"
#include "platform/desktop/QtRunLoop.h"
#include "platform/runloop/SignalSource.h"
#include "ui/QuimboApp.h"

namespace {

// Qt ends the process when it cannot reach the display; say so plainly.
void onQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtFatalMsg) {
    std::cerr << "quimbo: the display cannot be reached: " << message.toStdString() << '\n';
    std::_Exit(1);
  }
  if (type != QtDebugMsg && type != QtInfoMsg) std::cerr << message.toStdString() << '\n';
}

}  // namespace

extern "C" const int quimbo_desktop_interface_version = kDesktopInterfaceVersion;

extern "C" int quimbo_run_desktop(quimbo::UserClient& smc, quimbo::ServiceManager& services,
                                  char* program) {
  using namespace quimbo;
  qInstallMessageHandler(onQtMessage);
  // Taken before Qt starts its threads, which inherit the blocked mask: an
  // interrupt or a logout's SIGTERM then ends the event loop, and the
  // windows are taken down in order, with the terminal front end's status.
  const auto quitSignals = SignalSource::make({SIGINT, SIGTERM, SIGHUP});
  if (const auto platform =
          desktop::qtPlatformFor(desktop::displaySession(), desktop::statusNotifierWatcherRuns)) {
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*platform));
  }
  int argc = 1;
  char* argv[] = {program, nullptr};
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quimbo"));
  QApplication::setQuitOnLastWindowClosed(false);
  QSocketNotifier onSignal(quitSignals->fd(), QSocketNotifier::Read);
  QObject::connect(&onSignal, &QSocketNotifier::activated, [&] {
    quitSignals->drain([](int signal) { QApplication::exit(128 + signal); });
  });
  desktop::QtRunLoop loop;
  desktop::DesktopFrontEnd desktop(loop);
  ui::QuimboApp app([&] { return Monitor::make({smc, services, loop}); }, desktop);
  return desktop.run(app);
}

// quimbo-exporter: the process entry. Samples the SMC at an interval of its
// own and keeps its readings in a file for node_exporter's textfile
// collector.

#include <getopt.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "app/Confinement.h"
#include "app/SmcChoice.h"
#include "exporter/Exposition.h"
#include "exporter/Readings.h"
#include "platform/files/AtomicFile.h"
#include "platform/process/DescriptorLimit.h"
#include "platform/process/DiagnosticStream.h"
#include "platform/process/IgnoreSignals.h"
#include "platform/runloop/PollRunLoop.h"
#include "smc/SMC.h"

namespace {

using namespace quimbo;

// --help, around the variables that choose the SMC.
constexpr const char* kUsageHead =
    "quimbo-exporter " QUIMBO_VERSION
    ": Quimbo's temperatures and fans for Prometheus.\n"
    "\n"
    "Usage: quimbo-exporter --textfile-directory DIR [--interval SECONDS] [--once]\n"
    "\n"
    "Writes DIR/quimbo.prom in Prometheus' text format, for node_exporter's\n"
    "textfile collector: at the start, and then every SECONDS. Each write\n"
    "replaces the file whole, so that a reader never sees a part of one.\n"
    "SIGTERM, SIGINT or SIGHUP end it with status 0, the last complete file in\n"
    "place.\n"
    "\n"
    "Options:\n"
    "  --textfile-directory DIR  the directory to write quimbo.prom in\n"
    "  --interval SECONDS        the seconds between passes, a whole number from\n"
    "                            1 to 86400 (default: 15)\n"
    "  --once                    write one pass and exit\n"
    "  --help, --version         print this, or the version, and exit\n"
    "\n"
    "Environment:\n";
constexpr const char* kUsageTail =
    "\n"
    "See quimbo-exporter(1).\n";

constexpr const char* kProgram = "quimbo-exporter";
constexpr const char* kFileName = "quimbo.prom";
constexpr std::int64_t kDefaultInterval = 15;
constexpr std::int64_t kMaxInterval = 24 * 60 * 60;
constexpr int kUsageError = 2;
// Each ends the exporter with status 0.
constexpr std::initializer_list<int> kEndingSignals = {SIGTERM, SIGINT, SIGHUP};

struct Options {
  std::string directory;
  std::int64_t interval = kDefaultInterval;
  bool once = false;
};

int usageError(const std::string& message) {
  std::cerr << kProgram << ": " << message << " (see " << kProgram << " --help)\n";
  return kUsageError;
}

// A whole number of seconds within the bounds, or nothing.
std::optional<std::int64_t> interval(std::string_view text) {
  std::int64_t seconds = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, seconds);
  if (error != std::errc() || stop != end || seconds < 1 || seconds > kMaxInterval) {
    return std::nullopt;
  }
  return seconds;
}

double secondsSinceEpoch() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) /
         1000;
}

// Writes one pass, or one at the start and then one at every interval until
// a signal stops `loop`.
int writePasses(const Options& options, DiagnosticStream& diagnostics, PollRunLoop& loop) {
  const std::unique_ptr<UserClient> client = chosenSmcUserClient(diagnostics);
  SMC smc(*client);
  const AtomicFile file(options.directory, kFileName);
  confineProcess(Rights::writing({options.directory}), diagnostics);

  const auto writePass = [&] {
    const exporter::Readings readings = exporter::Readings::sample(smc, secondsSinceEpoch());
    return file.replace(exporter::exposition(readings, QUIMBO_VERSION));
  };

  if (options.once) {
    const auto fault = writePass();
    if (fault) diagnostics.report(fault->reason);
    return fault ? 1 : 0;
  }
  bool failing = false;  // reported once, until a write succeeds again
  const auto pass = [&] {
    const auto fault = writePass();
    if (fault && !failing) diagnostics.report(fault->reason + "; trying again at every pass");
    failing = fault.has_value();
  };
  pass();
  loop.scheduleRepeatingTimer(std::chrono::seconds(options.interval), pass);
  return loop.run();
}

int run(const Options& options, DiagnosticStream& diagnostics) {
  PollRunLoop loop;
  // Taken first: a signal that comes during a pass ends the process after it.
  loop.handleSignals(kEndingSignals, [&loop](int) { loop.stop(0); });
  const int status = writePasses(options, diagnostics, loop);
  // Those that come from now on, or came after the loop read the first (or
  // during --once's pass), leave the status as it is.
  ignoreSignals(kEndingSignals);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  enum : int { kDirectory = 1, kInterval, kOnce, kHelp, kVersion };
  static const option kOptions[] = {{"textfile-directory", required_argument, nullptr, kDirectory},
                                    {"interval", required_argument, nullptr, kInterval},
                                    {"once", no_argument, nullptr, kOnce},
                                    {"help", no_argument, nullptr, kHelp},
                                    {"version", no_argument, nullptr, kVersion},
                                    {nullptr, 0, nullptr, 0}};
  opterr = 0;  // the messages are ours
  Options options;
  int option = 0;
  while ((option = getopt_long(argc, argv, ":", kOptions, nullptr)) != -1) {
    switch (option) {
      case kDirectory:
        options.directory = optarg;
        break;
      case kInterval:
        if (const auto seconds = interval(optarg)) {
          options.interval = *seconds;
        } else {
          return usageError("--interval takes a whole number of seconds from 1 to " +
                            std::to_string(kMaxInterval) + ", not '" + optarg + "'");
        }
        break;
      case kOnce:
        options.once = true;
        break;
      case kHelp:
        std::cout << kUsageHead << kSmcChoiceHelp << kUsageTail;
        return 0;
      case kVersion:
        std::cout << kProgram << " " QUIMBO_VERSION "\n";
        return 0;
      case ':':
        return usageError(std::string(argv[optind - 1]) + " needs a value");
      default:
        return usageError("unknown option '" + std::string(argv[optind - 1]) + "'");
    }
  }
  if (optind < argc) return usageError("unexpected argument '" + std::string(argv[optind]) + "'");
  if (options.directory.empty()) return usageError("--textfile-directory DIR is required");
  if (const auto fault = notADirectory(options.directory)) {
    return usageError("the textfile directory " + fault->reason);
  }

  // A file past the size limit fails its write, which is reported, instead
  // of ending the process.
  std::signal(SIGXFSZ, SIG_IGN);
  raiseDescriptorLimit();
  DiagnosticStream diagnostics(std::cerr, kProgram);
  try {
    return run(options, diagnostics);
  } catch (const std::exception& error) {
    std::cerr << kProgram << ": " << error.what() << '\n';
    return 1;
  }
}

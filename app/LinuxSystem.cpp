#include <fcntl.h>

#include "app/System.h"
#include "platform/linux/DesktopModuleLoader.h"
#include "platform/linux/DisplaySession.h"
#include "platform/linux/Landlock.h"
#include "platform/linux/LinuxServiceManager.h"
#include "platform/linux/LoadedObjects.h"
#include "platform/linux/hwmon/HwmonScan.h"
#include "platform/linux/hwmon/HwmonSmc.h"
#include "platform/process/Bundle.h"
#include "platform/process/Environment.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUIMBO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUIMBO_SANITIZED 1
#endif
#endif

namespace quimbo::System {

namespace {

constexpr const char* kHwmonRoot = "/sys/class/hwmon";

// Locale data: glibc's compiled locales and message catalogues (an
// error's text in the user's language is looked up when it is first told).
constexpr const char* kLocaleData[] = {"/usr/lib/locale", "/usr/share/locale"};

std::string hwmonRoot() { return environmentValue("QUIMBO_HWMON_ROOT").value_or(kHwmonRoot); }

#ifdef QUIMBO_SANITIZED
// The sanitizers' own reads, which come after the confinement: at exit
// LeakSanitizer lists the process's threads and mappings in its /proc
// folder and reads its suppressions, and a report reads the symbols of the
// program and its libraries.
Rights sanitizerRights() {
  // Kept open, so that the folder the rule names stays the one /proc shows.
  static const int ownFolder = ::open("/proc/self", O_PATH | O_CLOEXEC);
  Rights rights = Rights::reading(loadedObjects());
  rights.read.insert(rights.read.end(), {ownFolder >= 0 ? "/proc/self" : "", "/proc/self/exe"});
  for (const char* options : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
    const std::string set = environmentValue(options).value_or("");
    const std::size_t at = set.find("suppressions=");
    if (at == std::string::npos) continue;
    const std::string_view path =
        std::string_view(set).substr(at + std::string_view("suppressions=").size());
    rights.read.emplace_back(path.substr(0, path.find(':')));
  }
  return rights;
}
#endif

}  // namespace

std::unique_ptr<UserClient> smcUserClient(Diagnostics& diagnostics) {
  return std::make_unique<HwmonSmc>(hwmonRoot(), diagnostics);
}

Rights sensorRights() { return Rights::reading(hwmon::readFolders(hwmonRoot())); }

std::optional<Failure> confine(Rights rights) {
  rights.read.insert(rights.read.end(), std::begin(kLocaleData), std::end(kLocaleData));
  if (const auto locales = environmentValue("LOCPATH")) rights.read.emplace_back(*locales);
#ifdef QUIMBO_SANITIZED
  rights += sanitizerRights();
#endif
  return landlock::confine(rights);
}

std::unique_ptr<ServiceManager> serviceManager() { return std::make_unique<LinuxServiceManager>(); }

bool displayAvailable() { return displaySession().any(); }

bool launcherArgument(std::string_view) { return false; }

Result<QuimboRunDesktop> desktop() { return loadDesktopModule(Bundle::main()); }

}  // namespace quimbo::System

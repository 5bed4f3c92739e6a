#include "platform/linux/DesktopModuleLoader.h"

#include <dlfcn.h>

namespace quimbo {

namespace {

constexpr const char* kCannotLoad = "the desktop front end cannot be loaded: ";

Failure refused(const std::string& why) { return {kCannotLoad + why}; }

Result<QuimboRunDesktop> loadFile(const std::filesystem::path& file) {
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return refused(::dlerror());

  const auto* version = static_cast<const int*>(::dlsym(handle, kDesktopInterfaceSymbol));
  std::string why;
  if (version == nullptr) {
    why = file.string() + " declares no interface version: it is not from this build";
  } else if (*version != kDesktopInterfaceVersion) {
    why = file.string() + " has interface version " + std::to_string(*version) +
          ", this program needs " + std::to_string(kDesktopInterfaceVersion) +
          ": it is from another build";
  } else if (void* entry = ::dlsym(handle, kDesktopModuleEntry)) {
    // The module stays loaded until the process ends.
    return reinterpret_cast<QuimboRunDesktop>(entry);
  } else {
    why = file.string() + " has no entry";
  }
  ::dlclose(handle);
  return refused(why);
}

}  // namespace

Result<QuimboRunDesktop> loadDesktopModule(const std::optional<Bundle>& bundle) {
  const std::filesystem::path file =
      bundle ? bundle->modulePath("quimbo-desktop.so") : std::filesystem::path();
  if (file.is_relative()) return refused("the folder Quimbo runs from is unknown");
  return loadFile(file);
}

}  // namespace quimbo

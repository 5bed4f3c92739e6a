#include "platform/linux/DesktopModuleLoader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/Machines.h"
#include "tests/MonitorHarness.h"
#include "tests/TemporaryFolder.h"

namespace quimbo {
namespace {

namespace fs = std::filesystem;

// A prefix under a fresh folder holding `module` as lib/quimbo/quimbo-desktop.so.
struct Installation {
  explicit Installation(const std::string& module) {
    fs::create_directories(root / "lib" / "quimbo");
    if (!module.empty())
      fs::copy_file(fs::path(FAKE_MODULE_DIR) / module, root / "lib/quimbo/quimbo-desktop.so");
  }
  Bundle bundle() const {
    return Bundle(root / "bin" / "quimbo", root / "share" / "quimbo", root / "lib" / "quimbo");
  }
  const testing::TemporaryFolder root{"loader"};
};

TEST(DesktopModuleLoader, TakesTheEntryOnlyFromAModuleOfThisInterface) {
  struct Case {
    const char* module;
    const char* error;  // what the message says; empty when the module is taken
  };
  const Case cases[] = {
      {"", "quimbo-desktop.so: cannot open shared object file"},
      {"fake-unversioned.so", "declares no interface version: it is not from this build"},
      {"fake-other-build.so",
       "has interface version 999, this program needs 3: it is from another build"},
      {"fake-this-build.so", ""},
  };
  testing::MonitorHarness h(testing::kTwoFansMachine);
  for (const Case& c : cases) {
    const Installation installed(c.module);
    const Result<QuimboRunDesktop> entry = loadDesktopModule(installed.bundle());
    if (*c.error == '\0') {
      ASSERT_TRUE(entry) << entry.failure().reason;
      EXPECT_EQ((*entry)(h.smc, h.services, nullptr, false, {}), 42) << "the module's own entry";
    } else {
      const std::string& error = entry.failure().reason;
      EXPECT_FALSE(entry) << c.module;
      EXPECT_EQ(error.rfind("the desktop front end cannot be loaded: ", 0), 0u) << error;
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST(DesktopModuleLoader, NeverResolvesAModuleAgainstTheWorkingDirectory) {
  const Installation installed("fake-this-build.so");
  const fs::path before = fs::current_path();
  fs::current_path(installed.root.path);  // a good module at ./lib/quimbo
  const std::optional<Bundle> bundles[] = {
      std::nullopt,
      Bundle("", "", ""),
      Bundle("bin/quimbo", "share/quimbo", "lib/quimbo"),
      Bundle("quimbo", ".", "lib/../lib/quimbo"),
  };
  for (const std::optional<Bundle>& bundle : bundles) {
    const Result<QuimboRunDesktop> entry = loadDesktopModule(bundle);
    EXPECT_FALSE(entry) << (bundle ? bundle->modulePath("").string() : "no bundle");
    EXPECT_NE(entry.failure().reason.find("the folder Quimbo runs from is unknown"),
              std::string::npos)
        << entry.failure().reason;
  }
  fs::current_path(before);
}

}  // namespace
}  // namespace quimbo

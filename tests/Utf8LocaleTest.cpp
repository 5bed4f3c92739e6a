#include "platform/terminal/Utf8Locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quimbo::terminal {
namespace {

// The locales each system takes ("" for the user's, where it is UTF-8).
TEST(Utf8Locale, TheUsersOrTheFirstUtf8LocaleTheSystemHas) {
  const struct {
    const char* system;
    std::vector<std::string> takes;
    std::optional<std::string_view> taken;
  } cases[] = {
      {"the user's own UTF-8", {"", "C.UTF-8", "UTF-8"}, ""},
      {"Debian, LANG=C", {"C.UTF-8", "en_US.UTF-8"}, "C.UTF-8"},
      {"macOS, C.UTF-8 forwarded over SSH", {"UTF-8", "en_US.UTF-8", "tr_TR.UTF-8"}, "UTF-8"},
      {"only en_US.UTF-8", {"en_US.UTF-8"}, "en_US.UTF-8"},
      {"no UTF-8 locale", {}, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto taken = takeUtf8Locale([&](const char* name) {
      return std::find(c.takes.begin(), c.takes.end(), name) != c.takes.end();
    });
    EXPECT_EQ(taken, c.taken) << c.system;
  }
}

}  // namespace
}  // namespace quimbo::terminal

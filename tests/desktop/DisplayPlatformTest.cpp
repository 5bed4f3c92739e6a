#include "platform/linux/desktop/DisplayPlatform.h"

#include <gtest/gtest.h>

namespace quimbo::desktop {
namespace {

TEST(DesktopDisplayPlatform, X11WhereverThereIsAnXServerWaylandOnlyWithoutOne) {
  struct Case {
    DisplaySession session;
    std::optional<std::string> platform;
  };
  const Case cases[] = {
      {{.x11 = true}, "xcb"},
      {{.x11 = true, .wayland = true}, "xcb"},
      {{.wayland = true}, "wayland"},
      {{.x11 = true, .wayland = true, .userChose = true}, std::nullopt},
      {{}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qtPlatformFor(c.session), c.platform)
        << "x11=" << c.session.x11 << " wayland=" << c.session.wayland
        << " chosen=" << c.session.userChose;
  }
}

}  // namespace
}  // namespace quimbo::desktop

#include "platform/linux/desktop/DisplayPlatform.h"

#include <gtest/gtest.h>

namespace quimbo::desktop {
namespace {

TEST(DesktopDisplayPlatform, WaylandRunsNativelyForADBusTrayOrWithoutX) {
  struct Case {
    DisplaySession session;
    bool trayOverDBus;
    std::optional<std::string> platform;
    bool trayAsked;
  };
  const Case cases[] = {
      {{.x11 = true}, false, "xcb", false},
      {{.wayland = true}, false, "wayland", false},
      {{.x11 = true, .wayland = true}, true, "wayland", true},
      {{.x11 = true, .wayland = true}, false, "xcb", true},
      {{.x11 = true, .wayland = true, .userChose = true}, false, std::nullopt, false},
      {{}, false, std::nullopt, false},
  };
  for (const Case& c : cases) {
    bool asked = false;
    const auto platform = qtPlatformFor(c.session, [&] {
      asked = true;
      return c.trayOverDBus;
    });
    const std::string where = std::string("x11=") + (c.session.x11 ? "1" : "0") +
                              " wayland=" + (c.session.wayland ? "1" : "0") +
                              " chosen=" + (c.session.userChose ? "1" : "0");
    EXPECT_EQ(platform, c.platform) << where;
    EXPECT_EQ(asked, c.trayAsked) << where;
  }
}

}  // namespace
}  // namespace quimbo::desktop

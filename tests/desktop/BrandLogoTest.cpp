#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/desktop/BrandLogo.h"
#include "tests/TemporaryFolder.h"

namespace quimbo::desktop {
namespace {

namespace fs = std::filesystem;

// Only a PNG named logo.png that decodes is the logo; anything else in its
// place is none.
TEST(BrandLogo, TheBundlesPngIsTheLogoWithItsSize) {
  const testing::TemporaryFolder dir("bundle");
  const Bundle bundle(dir / "quimbo", dir.path, dir.path);
  const auto put = [&](const char* name, const std::string& bytes) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  };
  std::ifstream in(std::string(QUIMBO_SOURCE_DIR) + "/tests/fixtures/logo-64x32.png",
                   std::ios::binary);
  const std::string png{std::istreambuf_iterator<char>(in), {}};

  EXPECT_FALSE(loadLogo(bundle)) << "no logo resource";
  EXPECT_FALSE(loadLogo(std::nullopt)) << "no bundle";
  put("logo.jpg", png);
  EXPECT_FALSE(loadLogo(bundle)) << "only the png type is looked up";
  for (const std::string& bytes : {std::string("not an image"), png.substr(0, png.size() / 2)}) {
    put("logo.png", bytes);
    EXPECT_FALSE(loadLogo(bundle)) << bytes.size() << " bytes";
  }
  put("logo.png", png);
  const auto logo = loadLogo(bundle);
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->path, (dir / "logo.png").string());
  EXPECT_EQ(logo->width, 64u);
  EXPECT_EQ(logo->height, 32u);
  fs::remove(dir / "logo.png");
  fs::create_directory(dir / "logo.png");
  EXPECT_FALSE(loadLogo(bundle)) << "a folder named logo.png";
}

}  // namespace
}  // namespace quimbo::desktop

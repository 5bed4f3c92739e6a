#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/desktop/BrandLogo.h"

namespace quimbo::desktop {
namespace {

namespace fs = std::filesystem;

class BrandLogo : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quimbo-bundle-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void put(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string fixture() const {
    std::ifstream in(std::string(QUIMBO_SOURCE_DIR) + "/tests/fixtures/logo-64x32.png",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  Bundle bundle() const { return Bundle(dir_ / "quimbo", dir_, dir_); }
  fs::path dir_;
};

TEST_F(BrandLogo, TheBundlesPngIsTheLogoWithItsSize) {
  EXPECT_FALSE(loadLogo(bundle())) << "no logo resource";
  EXPECT_FALSE(loadLogo(std::nullopt)) << "no bundle";
  put("logo.png", fixture());
  const auto logo = loadLogo(bundle());
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->path, (dir_ / "logo.png").string());
  EXPECT_EQ(logo->width, 64u);
  EXPECT_EQ(logo->height, 32u);
}

TEST_F(BrandLogo, AResourceThatIsNotAnImageIsNoLogo) {
  const std::string png = fixture();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"text", "not an image"},
      {"cut in its image data", png.substr(0, png.size() / 2)},
  };
  for (const auto& c : cases) {
    put("logo.png", c.bytes);
    EXPECT_FALSE(loadLogo(bundle())) << c.what;
  }
  fs::remove(dir_ / "logo.png");
  fs::create_directory(dir_ / "logo.png");
  EXPECT_FALSE(loadLogo(bundle())) << "a folder named logo.png";
  put("logo.jpg", png);
  EXPECT_FALSE(loadLogo(bundle())) << "only the png type is looked up";
}

}  // namespace
}  // namespace quimbo::desktop

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "ui/Brand.h"

namespace quimbo::ui {
namespace {

namespace fs = std::filesystem;

class BrandTest : public ::testing::Test {
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
  fs::path dir_;
};

TEST_F(BrandTest, AccentIsTheBrandBlue) {
  EXPECT_EQ(std::lround(Brand::accent.red * 255), 33);
  EXPECT_EQ(std::lround(Brand::accent.green * 255), 168);
  EXPECT_EQ(std::lround(Brand::accent.blue * 255), 242);
  EXPECT_EQ(Brand::accent.alpha, 1.0);
}

TEST_F(BrandTest, WithoutALogoTheMarkIsTheFanSymbolInTheAccent) {
  EXPECT_FALSE(Brand::loadLogo(Bundle(dir_)));
  EXPECT_EQ(describe(BrandMark{22}.body(std::nullopt)),
            "HStack(alignment: center, spacing: 8)\n"
            "  Image systemName: fanblades.fill .foregroundStyle(sRGB(0.13, 0.66, 0.95, 1))\n"
            "  Text verbatim \"Quimbo\" .font(headline)\n");
}

TEST_F(BrandTest, ALogoIsStretchedToTheSquareWithRoundedCorners) {
  put("logo.png", fixture());
  const auto logo = Brand::loadLogo(Bundle(dir_));
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->width, 64u);
  EXPECT_EQ(logo->height, 32u);
  EXPECT_EQ(describe(BrandMark{22}.body(logo)),
            "HStack(alignment: center, spacing: 8)\n"
            "  Image logo 64x32 .resizable() .frame(width: 22, height: 22) "
            ".clipShape(RoundedRectangle(cornerRadius: 4.84, style: continuous))\n"
            "  Text verbatim \"Quimbo\" .font(headline)\n");
  EXPECT_EQ(describe(BrandMark{50}.body(logo)).find("cornerRadius: 11,") != std::string::npos,
            true);
}

TEST_F(BrandTest, ALogoThatIsNotAPngIsNoLogo) {
  std::string png = fixture();
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"text", "not an image"},
      {"empty", ""},
      {"truncated", png.substr(0, png.size() - 5)},
      {"corrupt checksum",
       [&] {
         std::string b = png;
         b[20] ^= 1;
         return b;
       }()},
      {"signature only", png.substr(0, 8)},
  };
  for (const auto& c : cases) {
    put("logo.png", c.bytes);
    EXPECT_FALSE(Brand::loadLogo(Bundle(dir_))) << c.what;
  }
  fs::remove(dir_ / "logo.png");
  fs::create_directory(dir_ / "logo.png");
  EXPECT_FALSE(Brand::loadLogo(Bundle(dir_))) << "a folder named logo.png";
  put("logo.jpg", png);
  EXPECT_FALSE(Brand::loadLogo(Bundle(dir_))) << "only the png type is looked up";
}

}  // namespace
}  // namespace quimbo::ui

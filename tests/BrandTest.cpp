#include <gtest/gtest.h>

#include <cmath>

#include "ui/Brand.h"

namespace quimbo::ui {
namespace {

TEST(Brand, AccentIsTheBrandBlue) {
  EXPECT_EQ(std::lround(Brand::accent.red * 255), 33);
  EXPECT_EQ(std::lround(Brand::accent.green * 255), 168);
  EXPECT_EQ(std::lround(Brand::accent.blue * 255), 242);
  EXPECT_EQ(Brand::accent.alpha, 1.0);
}

TEST(Brand, WithoutALogoTheMarkIsTheFanSymbolInTheAccent) {
  EXPECT_EQ(describe(BrandMark{22}.body(std::nullopt)),
            "HStack(alignment: center, spacing: 8)\n"
            "  Image systemName: fanblades.fill .foregroundStyle(sRGB(0.13, 0.66, 0.95, 1))\n"
            "  Text verbatim \"Quimbo\" .font(headline)\n");
}

TEST(Brand, ALogoIsStretchedToTheSquareWithRoundedCorners) {
  const Logo logo{"logo.png", 64, 32};
  EXPECT_EQ(describe(BrandMark{22}.body(logo)),
            "HStack(alignment: center, spacing: 8)\n"
            "  Image logo 64x32 .resizable() .frame(width: 22, height: 22) "
            ".clipShape(RoundedRectangle(cornerRadius: 4.84, style: continuous))\n"
            "  Text verbatim \"Quimbo\" .font(headline)\n");
  EXPECT_EQ(describe(BrandMark{50}.body(logo)).find("cornerRadius: 11,") != std::string::npos,
            true);
}

}  // namespace
}  // namespace quimbo::ui

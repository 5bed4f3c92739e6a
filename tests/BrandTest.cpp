#include <gtest/gtest.h>

#include "ui/Brand.h"

namespace quimbo::ui {
namespace {

// Without a logo the mark is the fan symbol (PanelViewTest).
TEST(Brand, ALogoIsStretchedToTheSquareWithRoundedCorners) {
  const Logo logo{"logo.png", 64, 32};
  EXPECT_EQ(describe(BrandMark{22}.body(logo)),
            "HStack(alignment: center, spacing: 8)\n"
            "  Image logo 64x32 .resizable() .frame(width: 22, height: 22) "
            ".clipShape(RoundedRectangle(cornerRadius: 4.84, style: continuous))\n"
            "  Text verbatim \"Quimbo\" .font(headline)\n");
}

}  // namespace
}  // namespace quimbo::ui

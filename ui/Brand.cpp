#include "ui/Brand.h"

namespace quimbo::ui {

namespace {
constexpr double kSpacing = 8;
constexpr double kCornerRatio = 0.22;
}  // namespace

View BrandMark::body(const std::optional<Logo>& logo) const {
  View mark =
      logo ? View(Image{{}, logo}).resizable().frame(size, size).clipShape(size * kCornerRatio)
           : View(Image{"fanblades.fill", {}}).foregroundStyle(Brand::accent);
  return HStack{VerticalAlignment::center,
                kSpacing,
                {std::move(mark), View(Text::verbatimText("Quimbo")).font(Font::headline)}};
}

}  // namespace quimbo::ui

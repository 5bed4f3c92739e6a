#include "ui/PanelView.h"

#include <algorithm>
#include <cmath>

#include "monitor/WholeNumber.h"
#include "ui/Brand.h"
#include "ui/TemperatureColor.h"

namespace quimbo::ui {

namespace {
constexpr const char* kNotice = "SMC'ye erişilemedi";
constexpr const char* kNoFans = "Fan yok (fansız model)";
constexpr const char* kHardwareNote =
    "Fan kontrolü Apple Silicon'da donanımsal olarak kilitli — Quimbo izleme yapar.";
constexpr const char* kRefresh = "her 2 sn güncellenir";
constexpr const char* kQuit = "Çıkış";
}  // namespace

View PanelView::body() const {
  Children column;
  column.push_back(header());
  if (!mon_->available()) {
    column.push_back(
        View(Label{Text::localized(kNotice), "exclamationmark.triangle"}).foregroundStyle(kOrange));
  } else {
    column.push_back(tileGrid(mon_->summary()));
    column.push_back(Divider{});
    if (mon_->fans().empty()) {
      column.push_back(
          View(Text::localized(kNoFans)).font(Font::caption).foregroundStyle(Secondary{}));
    }
    for (const FanReading& fan : mon_->fans()) column.push_back(fanBlock(fan));
  }
  column.push_back(Divider{});
  column.push_back(View(HStack{VerticalAlignment::center,
                               kNoteSpacing,
                               {View(Image{"lock.fill", {}}).font(Font::caption2),
                                View(Text::localized(kHardwareNote)).font(Font::caption2)}})
                       .foregroundStyle(Secondary{}));
  column.push_back(Divider{});
  Application* app = app_;
  column.push_back(
      HStack{VerticalAlignment::center,
             std::nullopt,
             {View(Text::localized(kRefresh)).font(Font::caption2).foregroundStyle(Secondary{}),
              Spacer{}, Button{Text::localized(kQuit), [app] { app->terminate(); }}}});

  return View(VStack{HorizontalAlignment::leading, kSpacing, std::move(column)})
      .padding(kPadding)
      .frame(kWidth);
}

PanelView::Range PanelView::fanList() const {
  // After the header, the tiles and their divider.
  constexpr std::size_t kFirstFan = 3;
  if (!mon_->available()) return {kFirstFan - 1, 0};
  return {kFirstFan, std::max<std::size_t>(1, mon_->fans().size())};
}

View PanelView::header() const {
  Children children{BrandMark{kBrandMarkSize}.body(app_->logo()), Spacer{}};
  if (mon_->available()) {
    const double maxTemp = mon_->maxTemp();
    children.push_back(View(Text::localized("%lld°C", {wholeNumber(maxTemp)}))
                           .font(Font::title3)
                           .bold()
                           .monospacedDigit()
                           .foregroundStyle(temperatureColor(maxTemp)));
  }
  return HStack{VerticalAlignment::center, std::nullopt, std::move(children)};
}

View PanelView::fanBlock(const FanReading& fan) {
  View row =
      HStack{VerticalAlignment::center,
             std::nullopt,
             {View(Image{"fanblades", {}}).foregroundStyle(Brand::accent),
              View(Text::localized("Fan %lld", {fan.id + 1})).font(Font::subheadline), Spacer{},
              View(Text::localized("%lld RPM", {wholeNumber(fan.rpm)}))
                  .font(Font::subheadline)
                  .monospacedDigit()
                  .bold()}};
  return VStack{
      HorizontalAlignment::leading,
      kFanBlockSpacing,
      {std::move(row), View(ProgressView{fanFraction(fan), 1.0}).tint(Brand::accent),
       View(Text::localized("%lld–%lld RPM", {wholeNumber(fan.min), wholeNumber(fan.max)}))
           .font(Font::caption2)
           .foregroundStyle(Secondary{})}};
}

double PanelView::fanFraction(const FanReading& fan) {
  if (!(fan.min < fan.max)) return 0;
  double x = (fan.rpm - fan.min) / (fan.max - fan.min);
  if (x > 1) x = 1;
  if (x < 0) x = 0;
  // A speed that is not a number (or infinite limits) gives NaN here, which
  // no bar can show: an empty bar instead.
  return std::isnan(x) ? 0 : x;
}

}  // namespace quimbo::ui

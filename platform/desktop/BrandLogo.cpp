#include "platform/desktop/BrandLogo.h"

#include <QImage>
#include <QString>

namespace quimbo::desktop {

std::optional<ui::Logo> loadLogo(const std::optional<Bundle>& bundle) {
  if (!bundle) return std::nullopt;
  const std::optional<std::string> path = bundle->pathForResource("logo", "png");
  if (!path) return std::nullopt;
  const QImage image(QString::fromStdString(*path));
  if (image.isNull()) return std::nullopt;
  return ui::Logo{*path, static_cast<std::uint32_t>(image.width()),
                  static_cast<std::uint32_t>(image.height())};
}

}  // namespace quimbo::desktop

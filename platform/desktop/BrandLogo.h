#pragma once

#include <optional>

#include "platform/process/Bundle.h"
#include "ui/Logo.h"

namespace quimbo::desktop {

// The brand mark's logo: the bundle's resource "logo" of type "png", when
// Qt can read it as an image; none without a bundle, without the resource,
// or when the file is not an image.
std::optional<ui::Logo> loadLogo(const std::optional<Bundle>& bundle);

}  // namespace quimbo::desktop

#pragma once

#include <optional>

#include "ui/Logo.h"

namespace quimbo::ui {

// The running application, as the front end provides it.
class Application {
 public:
  virtual ~Application() = default;
  // Ends the application at once; the exit status is 0.
  virtual void terminate() = 0;
  // The bundle's "logo" image of type "png", read once per process by the
  // front end; none when there is none, it cannot be read as an image, or
  // the front end shows no images.
  virtual const std::optional<Logo>& logo() const = 0;
};

}  // namespace quimbo::ui

#pragma once

namespace quimbo::ui {

// The running application, as the front end provides it.
class Application {
 public:
  virtual ~Application() = default;
  // Ends the application at once; the exit status is 0.
  virtual void terminate() = 0;
};

}  // namespace quimbo::ui

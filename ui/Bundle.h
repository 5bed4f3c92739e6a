#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quimbo::ui {

// The application's resources: the folder `share/quimbo` beside the `bin`
// folder that holds the running binary, as installed and as built.
class Bundle final {
 public:
  explicit Bundle(std::filesystem::path resources) : resources_(std::move(resources)) {}

  // The running application's bundle: the one given to `setMain`, else the
  // resources beside the running binary.
  static Bundle main();
  // Where the running application's resources are, on a system that keeps
  // them elsewhere (a macOS application bundle); given before anything is shown.
  static void setMain(Bundle bundle);
  // The folder above the running binary's `bin`; empty when unknown.
  static std::filesystem::path installPrefix();

  // The path of the resource `name`.`type`, when it exists.
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;

 private:
  std::filesystem::path resources_;
};

}  // namespace quimbo::ui

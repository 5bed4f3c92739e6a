#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quimbo {

// The application's installed files: the program, its resources (the logo)
// and its loadable modules (the desktop front end).
class Bundle final {
 public:
  Bundle(std::filesystem::path executable, std::filesystem::path resources,
         std::filesystem::path modules)
      : executable_(std::move(executable)),
        resources_(std::move(resources)),
        modules_(std::move(modules)) {}

  // The running program's bundle, located from where the program itself
  // lives; none when that cannot be known. Its folders are absolute paths.
  [[nodiscard]] static std::optional<Bundle> main();

  // The path of the regular file `name`.`type` among the resources, if any.
  [[nodiscard]] std::optional<std::string> pathForResource(std::string_view name,
                                                           std::string_view type) const;
  // Where the module `name` is, whether or not it is there.
  std::filesystem::path modulePath(std::string_view name) const { return modules_ / name; }
  // The running program.
  const std::filesystem::path& executablePath() const { return executable_; }
  // Where its resources are, whether or not it is there.
  const std::filesystem::path& resourcePath() const { return resources_; }

 private:
  std::filesystem::path executable_;
  std::filesystem::path resources_;
  std::filesystem::path modules_;
};

}  // namespace quimbo

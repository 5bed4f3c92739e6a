#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quimbo {

// The application's installed files: its resources (the logo) and its
// loadable modules (the desktop front end), each in a folder of its own.
class Bundle final {
 public:
  Bundle(std::filesystem::path resources, std::filesystem::path modules)
      : resources_(std::move(resources)), modules_(std::move(modules)) {}

  // The running program's bundle, located from where the program itself
  // lives; none when that cannot be known. Its folders are absolute paths.
  static std::optional<Bundle> main();

  // The path of the regular file `name`.`type` among the resources, if any.
  std::optional<std::string> pathForResource(std::string_view name, std::string_view type) const;
  // Where the module `name` is, whether or not it is there.
  std::filesystem::path modulePath(std::string_view name) const { return modules_ / name; }

 private:
  std::filesystem::path resources_;
  std::filesystem::path modules_;
};

}  // namespace quimbo

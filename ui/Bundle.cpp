#include "ui/Bundle.h"

#include <system_error>

namespace quimbo::ui {

std::filesystem::path Bundle::installPrefix() {
  std::error_code error;
  const std::filesystem::path binary = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : binary.parent_path().parent_path();
}

namespace {

std::optional<Bundle>& givenMain() {
  static std::optional<Bundle> bundle;
  return bundle;
}

}  // namespace

void Bundle::setMain(Bundle bundle) { givenMain() = std::move(bundle); }

Bundle Bundle::main() {
  if (givenMain()) return *givenMain();
  const std::filesystem::path prefix = installPrefix();
  return Bundle(prefix.empty() ? prefix : prefix / "share" / "quimbo");
}

std::optional<std::string> Bundle::pathForResource(std::string_view name,
                                                   std::string_view type) const {
  if (resources_.empty()) return std::nullopt;
  std::filesystem::path path = resources_ / name;
  path += ".";
  path += type;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  return path.string();
}

}  // namespace quimbo::ui

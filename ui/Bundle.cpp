#include "ui/Bundle.h"

#include <system_error>

namespace quimbo::ui {

Bundle Bundle::main() {
  std::error_code error;
  const std::filesystem::path binary = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return Bundle({});
  return Bundle(binary.parent_path().parent_path() / "share" / "quimbo");
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

#include "platform/process/Bundle.h"

#include <system_error>

namespace quimbo {

std::optional<std::string> Bundle::pathForResource(std::string_view name,
                                                   std::string_view type) const {
  std::filesystem::path path = resources_ / name;
  path += ".";
  path += type;
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  return path.string();
}

}  // namespace quimbo

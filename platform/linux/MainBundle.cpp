#include <system_error>

#include "platform/process/Bundle.h"

namespace quimbo {

// Installed or built alike, the program is PREFIX/bin/quimbo, its resources
// PREFIX/share/quimbo and its modules PREFIX/lib/quimbo.
std::optional<Bundle> Bundle::main() {
  std::error_code error;
  const std::filesystem::path binary = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !binary.is_absolute()) return std::nullopt;
  const std::filesystem::path prefix = binary.parent_path().parent_path();
  return Bundle(binary, prefix / "share" / "quimbo", prefix / "lib" / "quimbo");
}

}  // namespace quimbo

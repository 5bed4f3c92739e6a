#include "platform/files/FileFault.h"

#include <sys/stat.h>

#include <cstring>
#include <string>

namespace quimbo {

Failure systemFailure(std::string_view what, int error) {
  return {std::string(what) + ": " + std::strerror(error)};
}

std::optional<Failure> kindFailure(mode_t mode, FileKind kind) {
  if (kind == FileKind::regularFile && S_ISREG(mode)) return std::nullopt;
  if (kind == FileKind::directory && S_ISDIR(mode)) return std::nullopt;
  if (S_ISLNK(mode)) return Failure{"is a symbolic link"};
  if (kind == FileKind::directory) return Failure{"is not a directory"};
  return Failure{S_ISDIR(mode) ? "is a directory" : "is not a regular file"};
}

}  // namespace quimbo

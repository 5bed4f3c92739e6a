#pragma once

#include <sys/types.h>

#include <cerrno>
#include <optional>
#include <string_view>

#include "platform/Failure.h"

namespace quimbo {

// What a file must be to be used.
enum class FileKind { regularFile, directory };

// `what` and the system's words for the error number: "cannot be opened: No
// such file or directory".
[[nodiscard]] Failure systemFailure(std::string_view what, int error = errno);

// Why a file of the type `mode` (a stat's st_mode; a symbolic link's own
// where lstat looked) is not of `kind`: "is a directory", "is not a regular
// file", "is a symbolic link", "is not a directory"; nothing when it is.
[[nodiscard]] std::optional<Failure> kindFailure(mode_t mode, FileKind kind);

}  // namespace quimbo

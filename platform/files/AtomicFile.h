#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Failure.h"

namespace quimbo {

// A file that is only ever replaced whole: each content is written to a
// new file beside it (readable by everyone), unnamed where the file system
// allows, else at a hidden name nobody can guess (never through a symbolic
// link), which is then renamed over it. A reader sees the old file or the
// new one, never a part of one, and no temporary file stays behind: not
// even, where files can be unnamed, when the process is killed while it
// writes one.
class AtomicFile final {
 public:
  AtomicFile(const std::string& directory, const std::string& name);

  // Nothing when `content` is in place; otherwise why not, and the file is
  // as it was.
  [[nodiscard]] std::optional<Failure> replace(std::string_view content) const;

  const std::string& path() const { return path_; }

 private:
  std::string directory_;
  std::string path_;
};

// Why `path` cannot hold such files: it is missing or not a directory.
[[nodiscard]] std::optional<Failure> notADirectory(const std::string& path);

}  // namespace quimbo

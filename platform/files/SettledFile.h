#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/files/RegularFile.h"

namespace quimbo {

// A file that another program rewrites, followed from version to version.
// Each version is handed out once it has stood still for kSettle (it was
// written that long ago, or was seen unchanged at a look that long ago), so
// that one still being written is never taken half written. Stillness is
// judged for each file, held open from the look that first saw it: a file
// that was replaced whole (written aside and renamed over the last one) is
// taken from there once it has stood still that long, however soon another
// replaced it.
class SettledFile final {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  static constexpr std::chrono::milliseconds kLookInterval{500};
  static constexpr std::chrono::milliseconds kSettle{500};

  // The file as it stands at `now` counts as handed out already; a version
  // is read whole up to `maxBytes`.
  SettledFile(std::string path, std::size_t maxBytes, TimePoint now);

  // A version that stood still: its text, or why it cannot be read.
  using Version = Result<std::string>;
  // Looks at the file, no more than once per kLookInterval: a version not
  // handed out yet that has stood still, or nothing.
  [[nodiscard]] std::optional<Version> look(TimePoint now);

 private:
  bool settled(TimePoint now) const;
  Version read();

  std::string path_;
  std::size_t maxBytes_;
  std::optional<RegularFile> held_;  // the file seen at the last look
  std::optional<FileVersion> seen_;  // what that look saw; nothing when it found no file
  TimePoint seenAt_;                 // the look that first saw it
  TimePoint lookedAt_;
  bool taken_ = true;  // handed out
};

}  // namespace quimbo

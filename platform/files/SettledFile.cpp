#include "platform/files/SettledFile.h"

#include <utility>

namespace quimbo {

SettledFile::SettledFile(std::string path, std::size_t maxBytes, TimePoint now)
    : path_(std::move(path)), maxBytes_(maxBytes), seenAt_(now), lookedAt_(now) {
  held_.emplace(path_);
  seen_ = held_->isOpen() ? held_->version() : fileVersion(path_);
}

bool SettledFile::settled(TimePoint now) const {
  if (now - seenAt_ >= kSettle) return true;
  return seen_ && std::chrono::system_clock::now() - seen_->written >= kSettle;
}

SettledFile::Version SettledFile::read() {
  taken_ = true;
  if (std::optional<std::string> text = held_->read(maxBytes_)) return std::move(*text);
  return Failure{held_->problem()};
}

std::optional<SettledFile::Version> SettledFile::look(TimePoint now) {
  if (now - lookedAt_ < kLookInterval) return std::nullopt;
  lookedAt_ = now;
  const std::optional<FileVersion> current = fileVersion(path_);
  if (current == seen_) {
    if (taken_ || !settled(now)) return std::nullopt;
    return read();
  }
  // The file seen at the last look was replaced since (another file stands
  // at the path, or none) and was not written to meanwhile: it was complete.
  std::optional<Version> replaced;
  if (!taken_ && seen_ && !(current && current->sameFile(*seen_)) && held_->isOpen() &&
      held_->version() == seen_ && now - seenAt_ >= kSettle) {
    replaced = read();
  }
  held_.emplace(path_);
  seen_ = held_->isOpen() ? held_->version() : current;
  seenAt_ = now;
  taken_ = false;
  // Unless the new one was written long enough ago to be taken at once.
  if (settled(now)) return read();
  return replaced;
}

}  // namespace quimbo

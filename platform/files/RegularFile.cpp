#include "platform/files/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/files/FileFault.h"

namespace quimbo {

namespace {

FileVersion versionOf(const struct stat& status) {
#ifdef __APPLE__
  const timespec& written = status.st_mtimespec;
#else
  const timespec& written = status.st_mtim;
#endif
  const auto sinceEpoch =
      std::chrono::seconds(written.tv_sec) + std::chrono::nanoseconds(written.tv_nsec);
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          static_cast<std::int64_t>(status.st_size),
          std::chrono::system_clock::time_point(
              std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceEpoch))};
}

}  // namespace

std::optional<FileVersion> fileVersion(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return versionOf(status);
}

RegularFile::RegularFile(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)) {
  struct stat status;
  if (!fd_ || ::fstat(fd_.get(), &status) != 0) {
    fault_ = Fault::cannotOpen;
    error_ = errno;
  } else if (!S_ISREG(status.st_mode)) {
    fault_ = Fault::wrongKind;
    mode_ = status.st_mode;
  } else {
    sizeAtOpen_ = static_cast<std::size_t>(status.st_size);
    return;
  }
  fd_.reset();
}

std::optional<std::string_view> RegularFile::read(std::span<char> buffer) {
  if (!fd_) return std::nullopt;
  std::size_t size = 0;
  while (size < buffer.size()) {
    const std::size_t wanted = buffer.size() - size;
    const ssize_t got = ::pread(fd_.get(), buffer.data() + size, wanted, static_cast<off_t>(size));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      fault_ = Fault::cannotRead;
      error_ = errno;
      return std::nullopt;
    }
    size += static_cast<std::size_t>(got);
    // A regular file reads short only at its end: no second call to learn
    // it, which halves the cost of a sysfs attribute.
    if (static_cast<std::size_t>(got) < wanted) break;
  }
  if (size == buffer.size()) {
    fault_ = Fault::tooLong;
    limit_ = buffer.size() - 1;
    return std::nullopt;
  }
  fault_ = Fault::none;
  return std::string_view(buffer.data(), size);
}

std::optional<std::string> RegularFile::read(std::size_t maxBytes) {
  constexpr std::size_t kLeastRoom = 4096;
  std::string text;
  // The size is only a first guess: the file may change, and sysfs gives
  // every attribute the same size whatever it holds.
  std::size_t room = std::min(std::max(kLeastRoom, sizeAtOpen_ + 1), maxBytes + 1);
  for (;;) {
    text.resize(room);
    if (const auto contents = read(text)) {
      text.resize(contents->size());
      return text;
    }
    if (fault_ != Fault::tooLong || room > maxBytes) return std::nullopt;
    room = std::min(4 * room, maxBytes + 1);  // read again from the start, with more room
  }
}

bool RegularFile::lackedDescriptors() const {
  return fault_ == Fault::cannotOpen && (error_ == EMFILE || error_ == ENFILE);
}

std::optional<FileVersion> RegularFile::version() const {
  struct stat status;
  if (!fd_ || ::fstat(fd_.get(), &status) != 0) return std::nullopt;
  return versionOf(status);
}

bool RegularFile::linked() const {
  struct stat status;
  return fd_ && ::fstat(fd_.get(), &status) == 0 && status.st_nlink > 0;
}

std::string RegularFile::problem() const {
  switch (fault_) {
    case Fault::none:
      return "";
    case Fault::cannotOpen:
      return systemFailure("cannot be opened", error_).reason;
    case Fault::wrongKind:
      return kindFailure(mode_, FileKind::regularFile).value_or(Failure{}).reason;
    case Fault::cannotRead:
      return systemFailure("cannot be read", error_).reason;
    case Fault::tooLong:
      return "is longer than " + std::to_string(limit_) + " bytes";
  }
  return "";
}

Result<std::string> readRegularFile(const std::string& path, std::size_t maxBytes) {
  RegularFile file(path);
  if (std::optional<std::string> text = file.read(maxBytes)) return std::move(*text);
  return Failure{file.problem()};
}

}  // namespace quimbo

#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Failure.h"
#include "platform/files/FileDescriptor.h"

namespace quimbo {

// What tells one version of a file from the next: which file it is (its
// device and inode: a file renamed over it is another), its size and when
// it was last written.
struct FileVersion {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::chrono::system_clock::time_point written;
  bool sameFile(const FileVersion& other) const {
    return device == other.device && inode == other.inode;
  }
  bool operator==(const FileVersion&) const = default;
};

// The version of whatever stands at `path` (a symbolic link followed);
// nothing when it cannot be looked at.
[[nodiscard]] std::optional<FileVersion> fileVersion(const std::string& path);

// A regular file opened for reading, and read whole from its start as often
// as asked. Whatever else stands at the path is refused without waiting: a
// FIFO (opening it would block until a writer came), a device (/dev/zero
// never ends), a directory, a loop of symbolic links. A symbolic link to a
// regular file is followed.
class RegularFile final {
 public:
  // Never blocks and never throws; a file that is refused is not open, and
  // problem() says why.
  explicit RegularFile(const std::string& path);

  bool isOpen() const { return static_cast<bool>(fd_); }
  // Whether it could not be opened for want of file descriptors, which
  // says nothing about the file itself.
  bool lackedDescriptors() const;

  // The whole file, which must be shorter than `buffer`: nothing when it is
  // not, or when it cannot be read. A file stays bounded however it grows.
  [[nodiscard]] std::optional<std::string_view> read(std::span<char> buffer);
  // The whole file, at most `maxBytes`, in a string no longer than needed.
  [[nodiscard]] std::optional<std::string> read(std::size_t maxBytes);

  // The version of the file held open, whatever stands at its path now;
  // nothing when it is not open.
  [[nodiscard]] std::optional<FileVersion> version() const;

  // Whether the file still has a name: a file deleted since it was opened
  // still reads, and sysfs attributes of a removed device are deleted.
  bool linked() const;

  // Why the file was refused or its last read failed: "is a directory",
  // "cannot be read: Permission denied", ...; "" when nothing failed.
  std::string problem() const;

 private:
  enum class Fault { none, cannotOpen, wrongKind, cannotRead, tooLong };

  FileDescriptor fd_;
  std::size_t sizeAtOpen_ = 0;
  Fault fault_ = Fault::none;
  int error_ = 0;          // what the system said, where it failed
  mode_t mode_ = 0;        // the type of what is not a regular file
  std::size_t limit_ = 0;  // what the read that found the file too long could take
};

// The whole regular file at `path`, at most `maxBytes` long, or why not
// (RegularFile::problem()).
Result<std::string> readRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace quimbo

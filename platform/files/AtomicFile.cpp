#include "platform/files/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>

#include "platform/files/FileDescriptor.h"
#include "platform/files/FileFault.h"
#include "platform/files/WriteAll.h"

namespace quimbo {

namespace {

constexpr mode_t kReadableByAll = 0644;
constexpr int kWrite = O_WRONLY | O_CLOEXEC | O_NOCTTY;
// Names found taken, in a row, before giving up: with 64 random bits only a
// directory filled on purpose comes near.
constexpr int kNameAttempts = 16;

// Calls `take` with hidden names beside `path` that nobody can guess, until
// one is free (`take` returns true; the name is left in `temporary`) or
// `take` fails for another reason than a name taken (false, errno says
// why). A name that others could create first in a shared directory would
// stop every write.
template <typename Take>
bool takeFreeName(const std::string& path, std::string& temporary, Take take) {
  std::random_device random;
  const std::size_t slash = path.rfind('/') + 1;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::uint64_t bits = (std::uint64_t{random()} << 32) ^ random();
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(bits));
    temporary = path.substr(0, slash) + "." + path.substr(slash) + "." + hex;
    if (take(temporary)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

std::optional<Failure> fill(int fd, std::string_view content, const std::string& path) {
  // The mode asked of open() is narrowed by the umask; readers of the file
  // are other users.
  if (::fchmod(fd, kReadableByAll) != 0) return systemFailure(path + " cannot be made readable");
  if (!writeAll(fd, content)) return systemFailure(path + " cannot be written");
  return std::nullopt;
}

std::optional<Failure> renameOver(const std::string& temporary, const std::string& path) {
  if (std::rename(temporary.c_str(), path.c_str()) == 0) return std::nullopt;
  const auto fault = systemFailure(temporary + " cannot be renamed to " + path);
  ::unlink(temporary.c_str());
  return fault;
}

#ifdef O_TMPFILE
// Gives the unnamed file `fd` the name `to`; false and errno when it cannot.
bool link(int fd, const std::string& to) {
  if (::linkat(fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0) return true;
  if (errno != ENOENT && errno != EPERM) return false;
  // Without the capability that AT_EMPTY_PATH asks for: through the
  // descriptor's entry in /proc.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// The content in the unnamed file `fd`, which is named only once complete:
// a process killed while writing leaves nothing behind. A name can be given
// only where none is, so it gets one of its own, which is then renamed over
// the file.
std::optional<Failure> replaceWithUnnamed(FileDescriptor file, std::string_view content,
                                          const std::string& path) {
  const int fd = file.get();
  std::optional<Failure> fault = fill(fd, content, path);
  std::string temporary;
  if (!fault) {
    fault = takeFreeName(path, temporary, [fd](const std::string& name) { return link(fd, name); })
                ? renameOver(temporary, path)
                : systemFailure(path + " cannot be created");
  }
  if (!file.close() && !fault) fault = systemFailure(path + " cannot be written");
  return fault;
}
#endif

// The content in a new file (never an existing one, nor through a symbolic
// link), removed whenever it cannot be put in place.
std::optional<Failure> replaceWithNamed(std::string_view content, const std::string& path) {
  std::string temporary;
  FileDescriptor file;
  if (!takeFreeName(path, temporary, [&file](const std::string& name) {
        file.reset(::open(name.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | kWrite, kReadableByAll));
        return static_cast<bool>(file);
      })) {
    return systemFailure(path + " cannot be created");
  }
  std::optional<Failure> fault = fill(file.get(), content, path);
  if (!file.close() && !fault) fault = systemFailure(path + " cannot be written");
  if (!fault) return renameOver(temporary, path);
  ::unlink(temporary.c_str());
  return fault;
}

}  // namespace

AtomicFile::AtomicFile(const std::string& directory, const std::string& name)
    : directory_(directory), path_(directory + "/" + name) {}

std::optional<Failure> AtomicFile::replace(std::string_view content) const {
#ifdef O_TMPFILE
  FileDescriptor unnamed(::open(directory_.c_str(), O_TMPFILE | kWrite, kReadableByAll));
  if (unnamed) return replaceWithUnnamed(std::move(unnamed), content, path_);
  // Only where the file system has no unnamed files is a named one written.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    return systemFailure(path_ + " cannot be created");
  }
#endif
  return replaceWithNamed(content, path_);
}

std::optional<Failure> notADirectory(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return systemFailure(path);
  if (const auto fault = kindFailure(status.st_mode, FileKind::directory)) {
    return Failure{path + ": " + fault->reason};
  }
  return std::nullopt;
}

}  // namespace quimbo

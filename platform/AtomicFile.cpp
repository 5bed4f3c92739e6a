#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quimbo {

namespace {

constexpr mode_t kReadableByAll = 0644;
constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

std::string systemError(std::string_view what) {
  return std::string(what) + ": " + std::strerror(errno);
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

AtomicFile::AtomicFile(const std::string& directory, const std::string& name)
    : path_(directory + "/" + name),
      // Hidden, and named for this process: another writer's temporary
      // file is never taken for this one's.
      temporary_(directory + "/." + name + "." + std::to_string(::getpid()) + ".tmp") {}

std::optional<std::string> AtomicFile::replace(std::string_view content) const {
  int fd = ::open(temporary_.c_str(), kCreate, kReadableByAll);
  if (fd < 0 && errno == EEXIST) {
    // Left by an earlier process with this id that was killed while writing.
    ::unlink(temporary_.c_str());
    fd = ::open(temporary_.c_str(), kCreate, kReadableByAll);
  }
  if (fd < 0) return systemError(temporary_ + " cannot be created");

  std::optional<std::string> fault;
  // The mode asked of open() is narrowed by the umask; readers of the file
  // are other users.
  if (::fchmod(fd, kReadableByAll) != 0) {
    fault = systemError(temporary_ + " cannot be made readable");
  } else if (!writeAll(fd, content)) {
    fault = systemError(temporary_ + " cannot be written");
  }
  if (::close(fd) != 0 && !fault) fault = systemError(temporary_ + " cannot be written");
  if (!fault && std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    fault = systemError(temporary_ + " cannot be renamed to " + path_);
  }
  if (fault) ::unlink(temporary_.c_str());
  return fault;
}

std::optional<std::string> notADirectory(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return systemError(path);
  if (!S_ISDIR(status.st_mode)) return path + ": is not a directory";
  return std::nullopt;
}

}  // namespace quimbo

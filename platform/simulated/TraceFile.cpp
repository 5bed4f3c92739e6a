#include "platform/simulated/TraceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quimbo {

namespace {

constexpr mode_t kOwnerOnly = 0600;

// Why `path` could not be opened for writing: what stands there when that
// is not a regular file, or what the system said.
std::string openFault(const std::string& path, int error) {
  struct stat status;
  if (::lstat(path.c_str(), &status) == 0) {
    if (S_ISLNK(status.st_mode)) return "is a symbolic link";
    if (!S_ISREG(status.st_mode)) return "is not a regular file";
  }
  return std::strerror(error);
}

}  // namespace

TraceFile::TraceFile(std::string path, Diagnostics& diagnostics)
    : path_(std::move(path)), diagnostics_(diagnostics) {
  // Not blocking: opening a FIFO for writing waits for a reader. A regular
  // file ignores O_NONBLOCK.
  fd_ = ::open(path_.c_str(),
               O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK,
               kOwnerOnly);
  std::string fault;
  struct stat status;
  if (fd_ < 0) {
    fault = openFault(path_, errno);
  } else if (::fstat(fd_, &status) != 0) {
    fault = std::strerror(errno);
  } else if (!S_ISREG(status.st_mode)) {
    fault = "is not a regular file";
  }
  if (!fault.empty()) {
    if (fd_ >= 0) ::close(fd_);
    throw std::runtime_error(path_ + ": cannot be opened for the trace: " + fault);
  }
}

TraceFile::~TraceFile() {
  if (fd_ >= 0) ::close(fd_);
}

void TraceFile::append(std::string_view line) {
  while (fd_ >= 0 && !line.empty()) {
    const ssize_t written = ::write(fd_, line.data(), line.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) {
      diagnostics_.report(path_ + ": cannot be written: " + std::strerror(errno) +
                          "; the trace stops here");
      ::close(std::exchange(fd_, -1));
      return;
    }
    line.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace quimbo

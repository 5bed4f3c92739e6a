#include "platform/simulated/TraceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/files/FileFault.h"
#include "platform/files/WriteAll.h"

namespace quimbo {

namespace {

constexpr mode_t kOwnerOnly = 0600;

// Why `path` could not be opened for writing: what stands there when that
// is not a regular file (never followed through a link), or what the
// system said.
std::string openFault(const std::string& path, int error) {
  struct stat status;
  if (::lstat(path.c_str(), &status) == 0) {
    if (auto fault = kindFailure(status.st_mode, FileKind::regularFile)) return fault->reason;
  }
  return std::strerror(error);
}

}  // namespace

TraceFile::TraceFile(std::string path, Diagnostics& diagnostics)
    : path_(std::move(path)),
      diagnostics_(diagnostics),
      // Not blocking: opening a FIFO for writing waits for a reader. A
      // regular file ignores O_NONBLOCK.
      fd_(::open(path_.c_str(),
                 O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK,
                 kOwnerOnly)) {
  std::string fault;
  struct stat status;
  if (!fd_) {
    fault = openFault(path_, errno);
  } else if (::fstat(fd_.get(), &status) != 0) {
    fault = std::strerror(errno);
  } else if (const auto wrong = kindFailure(status.st_mode, FileKind::regularFile)) {
    fault = wrong->reason;
  }
  if (!fault.empty()) {
    throw std::runtime_error(path_ + ": cannot be opened for the trace: " + fault);
  }
}

void TraceFile::append(std::string_view line) {
  if (fd_ && !writeAll(fd_.get(), line)) {
    diagnostics_.report(path_ + ": cannot be written: " + std::strerror(errno) +
                        "; the trace stops here");
    fd_.reset();
  }
}

}  // namespace quimbo

#include "platform/terminal/TerminalOutput.h"

#include <fcntl.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/mman.h>
#endif

#include <cerrno>
#include <system_error>

#include "platform/files/FileDescriptor.h"

namespace quimbo::terminal {

namespace {

// A file that lives in memory only, and is gone with its last descriptor.
std::FILE* memoryFile() {
#ifdef __linux__
  FileDescriptor fd(::memfd_create("quimbo-screen", MFD_CLOEXEC));
  std::FILE* file = fd ? ::fdopen(fd.get(), "w") : nullptr;
  if (file != nullptr) static_cast<void>(fd.release());  // the file closes it
#else
  std::FILE* file = std::tmpfile();  // unlinked: nothing is left behind
#endif
  if (file == nullptr) throw std::system_error(errno, std::generic_category(), "screen buffer");
  std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

// The terminal through an open file description of its own, so that its
// writes can fail instead of blocking without changing the one the shell
// shares. Where it cannot be opened again (another user's terminal), the
// shared description is made non-blocking while the program has it, and
// `restore` keeps the flags to put back.
FileDescriptor openWithoutBlocking(int terminal, std::optional<int>& restore) {
  if (const char* name = ::ttyname(terminal)) {
    FileDescriptor fd(::open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (fd) return fd;
  }
  FileDescriptor fd(::fcntl(terminal, F_DUPFD_CLOEXEC, 0));
  if (!fd) throw std::system_error(errno, std::generic_category(), "terminal");
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0 && !(flags & O_NONBLOCK) && ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) == 0) {
    restore = flags;
  }
  return fd;
}

}  // namespace

TerminalOutput::TerminalOutput(int terminal) : file_(memoryFile()) {
  try {
    terminal_ = openWithoutBlocking(terminal, sharedFlags_);
  } catch (...) {
    std::fclose(file_);
    throw;
  }
}

TerminalOutput::~TerminalOutput() {
  if (sharedFlags_) ::fcntl(terminal_.get(), F_SETFL, *sharedFlags_);
  std::fclose(file_);
}

void TerminalOutput::takeWritten() {
  const int fd = ::fileno(file_);
  const off_t written = ::lseek(fd, 0, SEEK_CUR);
  if (written <= 0) return;
  waiting_.erase(0, sent_);
  sent_ = 0;
  const std::size_t start = waiting_.size();
  waiting_.resize(start + static_cast<std::size_t>(written));
  std::size_t got = 0;
  // A file in memory reads short only where the memory is gone: what was
  // read is sent, and curses paints the rest of the screen anew at its
  // next refresh of the cells that changed.
  while (got < static_cast<std::size_t>(written)) {
    const ssize_t n = ::pread(fd, waiting_.data() + start + got, waiting_.size() - start - got,
                              static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  waiting_.resize(start + got);
  // Emptied for what curses writes next. Neither call can fail on a file in
  // memory that is open for writing (truncating to nothing needs no room,
  // and the offset 0 is always valid): their results are not asked.
  static_cast<void>(::ftruncate(fd, 0));
  static_cast<void>(::lseek(fd, 0, SEEK_SET));
}

bool TerminalOutput::flush() {
  takeWritten();
  return send();
}

bool TerminalOutput::send() {
  while (!gone_ && waiting()) {
    const ssize_t n = ::write(terminal_.get(), waiting_.data() + sent_, waiting_.size() - sent_);
    if (n > 0) {
      sent_ += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) {
      return false;
    } else {
      drop();  // the terminal fails (hung up): its input says so next
    }
  }
  waiting_.clear();
  sent_ = 0;
  return true;
}

void TerminalOutput::drop() {
  gone_ = true;
  waiting_.clear();
  sent_ = 0;
}

}  // namespace quimbo::terminal

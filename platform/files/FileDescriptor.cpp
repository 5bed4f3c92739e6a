#include "platform/files/FileDescriptor.h"

#include <unistd.h>

namespace quimbo {

void FileDescriptor::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

bool FileDescriptor::close() {
  if (fd_ < 0) return true;
  return ::close(std::exchange(fd_, -1)) == 0;
}

}  // namespace quimbo

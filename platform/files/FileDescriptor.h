#pragma once

#include <utility>

namespace quimbo {

// An open file descriptor, closed when its owner goes: one owner at a time,
// handed on by moving. Negative is none.
class FileDescriptor final {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    reset(other.release());
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Gives the descriptor up to the caller, who closes it.
  [[nodiscard]] int release() { return std::exchange(fd_, -1); }
  // Closes the descriptor held, if any, and holds `fd`. What close says is
  // not asked: nothing written through this descriptor waits on it. Where
  // written data could still be lost at close (a network file system), use
  // close().
  void reset(int fd = -1);
  // Closes the descriptor held; false, with errno, when the close failed,
  // which can mean that what was written did not reach the file.
  [[nodiscard]] bool close();

 private:
  int fd_ = -1;
};

}  // namespace quimbo

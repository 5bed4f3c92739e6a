#pragma once

#include <filesystem>
#include <utility>
#include <vector>

namespace quimbo {

// What a process may still do once it has opened what it needs. Everything
// else is refused from then on: reading and listing anywhere else, writing,
// making or removing files anywhere else, executing any program, binding or
// connecting a TCP socket, an ioctl on a device it opens later, and (where
// the system can keep them to the process) connecting to an abstract UNIX
// socket or signalling a process other than its own. What it opened before
// it keeps. Paths that do not exist are passed over.
struct Rights {
  // Files, and folders with everything beneath them: read and listed.
  std::vector<std::filesystem::path> read;
  // Folders whose files are made, written, truncated, renamed and removed,
  // and read.
  std::vector<std::filesystem::path> write;

  static Rights reading(std::vector<std::filesystem::path> paths) {
    Rights rights;
    rights.read = std::move(paths);
    return rights;
  }
  static Rights writing(std::vector<std::filesystem::path> folders) {
    Rights rights;
    rights.write = std::move(folders);
    return rights;
  }

  Rights& operator+=(const Rights& more) {
    read.insert(read.end(), more.read.begin(), more.read.end());
    write.insert(write.end(), more.write.begin(), more.write.end());
    return *this;
  }
};

}  // namespace quimbo

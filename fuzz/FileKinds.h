#pragma once

#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quimbo::fuzzing {

namespace fs = std::filesystem;

// What may stand where a file is expected.
enum class FileKind {
  regular,
  absent,
  fifo,
  folder,
  deviceLink,
  linkLoop,
  large,
  kMaxValue = large
};

// Puts an entry of `kind` at `path`, in place of what stood there; a
// regular one holds `contents`. A large one is sparse: it costs no disk.
inline void place(const fs::path& path, FileKind kind, std::string_view contents) {
  std::error_code error;
  fs::remove_all(path, error);
  switch (kind) {
    case FileKind::regular:
      std::ofstream(path, std::ios::binary) << contents;
      break;
    case FileKind::absent:
      break;
    case FileKind::fifo:
      ::mkfifo(path.c_str(), 0600);
      break;
    case FileKind::folder:
      fs::create_directory(path, error);
      break;
    case FileKind::deviceLink:
      fs::create_symlink("/dev/zero", path, error);
      break;
    case FileKind::linkLoop:
      fs::create_symlink(path.filename(), path, error);
      break;
    case FileKind::large:
      std::ofstream(path, std::ios::binary) << contents;
      fs::resize_file(path, 2 << 20, error);
      break;
  }
}

// A folder of the fuzzer's own, removed with all it holds at exit.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : path_(fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace quimbo::fuzzing

#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>

namespace quimbo::testing {

// A fresh folder under the system's temporary one, named for `name`, this
// process and the count of those it made; removed with all it holds when
// this goes, also when a test stops half way.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& name)
      : path(std::filesystem::temp_directory_path() /
             ("quimbo-" + name + "-" + std::to_string(::getpid()) + "-" + std::to_string(++made))) {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TemporaryFolder() { std::filesystem::remove_all(path); }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return path / name; }

  static inline int made = 0;
  const std::filesystem::path path;
};

}  // namespace quimbo::testing

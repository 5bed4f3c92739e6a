#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

namespace quimbo::testing {

// A hwmon class folder in a temporary directory, laid out as the kernel
// documents it: hwmonN/name, tempN_input (millidegrees), tempN_label,
// fanN_input, fanN_min, fanN_max (rpm).
class HwmonTree {
 public:
  HwmonTree() {
    root_ = std::filesystem::temp_directory_path() /
            ("quimbo-hwmon-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~HwmonTree() { std::filesystem::remove_all(root_); }
  HwmonTree(const HwmonTree&) = delete;
  HwmonTree& operator=(const HwmonTree&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Adds hwmonN with the chip name; later calls fill it.
  HwmonTree& device(int n, const std::string& name) {
    current_ = root_ / ("hwmon" + std::to_string(n));
    std::filesystem::create_directories(current_);
    write("name", name);
    return *this;
  }
  HwmonTree& temp(int n, long millidegrees, const std::string& label = "") {
    write("temp" + std::to_string(n) + "_input", std::to_string(millidegrees));
    if (!label.empty()) write("temp" + std::to_string(n) + "_label", label);
    return *this;
  }
  HwmonTree& fan(int n, long rpm, long min = -1, long max = -1) {
    write("fan" + std::to_string(n) + "_input", std::to_string(rpm));
    if (min >= 0) write("fan" + std::to_string(n) + "_min", std::to_string(min));
    if (max >= 0) write("fan" + std::to_string(n) + "_max", std::to_string(max));
    return *this;
  }
  HwmonTree& write(const std::string& file, const std::string& contents) {
    std::ofstream(current_ / file) << contents << '\n';
    return *this;
  }
  // What else may stand where a file is expected, in place of the file.
  HwmonTree& link(const std::string& file, const std::filesystem::path& target) {
    std::filesystem::remove(current_ / file);
    std::filesystem::create_symlink(target, current_ / file);
    return *this;
  }
  HwmonTree& folder(const std::string& file) {
    std::filesystem::remove(current_ / file);
    std::filesystem::create_directories(current_ / file);
    return *this;
  }

 private:
  std::filesystem::path root_;
  std::filesystem::path current_;
};

}  // namespace quimbo::testing

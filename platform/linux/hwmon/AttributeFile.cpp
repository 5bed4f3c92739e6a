#include "platform/linux/hwmon/AttributeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>

namespace quimbo::hwmon {

namespace {
constexpr std::size_t kMaxAttribute = 64;  // a number and a newline
}

std::optional<long long> parseAttribute(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

AttributeFile::AttributeFile(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)) {}

AttributeFile::~AttributeFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<long long> AttributeFile::read() const {
  if (fd_ < 0) return std::nullopt;
  char buffer[kMaxAttribute];
  const ssize_t size = ::pread(fd_, buffer, sizeof buffer, 0);
  if (size <= 0 || static_cast<std::size_t>(size) == sizeof buffer) return std::nullopt;
  // sysfs answers a removed device's attribute with an error; a file that
  // was deleted under us still reads, but has no links left.
  struct stat status;
  if (::fstat(fd_, &status) != 0 || status.st_nlink == 0) return std::nullopt;
  return parseAttribute(std::string_view(buffer, static_cast<std::size_t>(size)));
}

}  // namespace quimbo::hwmon

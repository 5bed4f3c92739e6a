#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace quimbo::hwmon {

// The number a sysfs attribute holds: decimal digits with an optional sign,
// then optional white space. Anything else is no number.
std::optional<long long> parseAttribute(std::string_view text);

// One attribute file, opened read-only once and read again from its start on
// every read: reopening a sysfs file costs more than reading it.
class AttributeFile final {
 public:
  explicit AttributeFile(const std::string& path);
  ~AttributeFile();
  AttributeFile(AttributeFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  AttributeFile& operator=(AttributeFile&&) = delete;
  AttributeFile(const AttributeFile&) = delete;
  AttributeFile& operator=(const AttributeFile&) = delete;

  // None when the file could not be opened, is gone (a device unplugged, a
  // driver unloaded), cannot be read or holds no number.
  std::optional<long long> read() const;

 private:
  int fd_ = -1;
};

}  // namespace quimbo::hwmon

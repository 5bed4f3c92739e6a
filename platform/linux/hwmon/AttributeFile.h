#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/files/RegularFile.h"

namespace quimbo::hwmon {

// The number a sysfs attribute holds: decimal digits with an optional sign,
// then optional white space. Anything else is no number.
[[nodiscard]] std::optional<long long> parseAttribute(std::string_view text);

// One attribute file, opened once and read again from its start on every
// read: reopening a sysfs file costs more than reading it. Only a regular
// file is read, and only its first few dozen bytes.
class AttributeFile final {
 public:
  explicit AttributeFile(const std::string& path);

  const std::string& path() const { return path_; }
  bool lackedDescriptors() const { return file_.lackedDescriptors(); }
  // None when the file could not be opened, is gone (a device unplugged, a
  // driver unloaded), cannot be read or holds no number.
  [[nodiscard]] std::optional<long long> read();

 private:
  std::string path_;
  RegularFile file_;
  // Whether a read can succeed once the file is gone: one that is no sysfs
  // attribute still reads after it was deleted.
  bool outlivesItsName_;
};

}  // namespace quimbo::hwmon

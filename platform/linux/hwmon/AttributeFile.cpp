#include "platform/linux/hwmon/AttributeFile.h"

#include <linux/magic.h>
#include <sys/vfs.h>

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

namespace {

bool onSysfs(const std::string& path) {
  struct statfs system;
  return ::statfs(path.c_str(), &system) == 0 && system.f_type == SYSFS_MAGIC;
}

}  // namespace

// sysfs fails every read of an attribute whose device has been removed
// (ENODEV: kernfs no longer takes the node, fs/kernfs/file.c), so that the
// read alone tells, and one pread is all a pass costs. A plain file deleted
// under us (a tree laid out like sysfs) still reads, but has no links left.
AttributeFile::AttributeFile(const std::string& path)
    : path_(path), file_(path), outlivesItsName_(file_.isOpen() && !onSysfs(path)) {}

std::optional<long long> AttributeFile::read() {
  char buffer[kMaxAttribute];
  const std::optional<std::string_view> text = file_.read(buffer);
  if (!text || (outlivesItsName_ && !file_.linked())) return std::nullopt;
  return parseAttribute(*text);
}

}  // namespace quimbo::hwmon

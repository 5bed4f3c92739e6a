#include "platform/linux/hwmon/AttributeFile.h"

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

std::optional<long long> AttributeFile::read() {
  char buffer[kMaxAttribute];
  const std::optional<std::string_view> text = file_.read(buffer);
  // sysfs answers a removed device's attribute with an error; a file that
  // was deleted under us still reads, but has no links left.
  if (!text || !file_.linked()) return std::nullopt;
  return parseAttribute(*text);
}

}  // namespace quimbo::hwmon

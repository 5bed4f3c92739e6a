#include "platform/simulated/MachineFile.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#if __has_include(<xlocale.h>)
#include <xlocale.h>  // strtod_l on macOS
#endif

#include "platform/files/RegularFile.h"
#include "platform/userclient/SmcService.h"
#include "smc/SMC.h"

namespace quimbo {

namespace {

constexpr std::size_t kMaxBytes = 32;

class LineParser {
 public:
  LineParser(std::string_view line, std::string_view path, int number)
      : rest_(line), path_(path), number_(number) {}

  [[noreturn]] void fail(const std::string& what) const {
    std::ostringstream message;
    message << path_ << ':' << number_ << ": " << what;
    throw MachineFileError(message.str());
  }

  void skipSpace() {
    while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t'))
      rest_.remove_prefix(1);
  }
  bool atEnd() {
    skipSpace();
    return rest_.empty();
  }
  char peek() {
    skipSpace();
    return rest_.empty() ? '\0' : rest_.front();
  }
  std::string_view word() {
    skipSpace();
    std::size_t end = 0;
    while (end < rest_.size() && rest_[end] != ' ' && rest_[end] != '\t') ++end;
    const std::string_view token = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return token;
  }
  std::string_view quoted() {
    skipSpace();
    rest_.remove_prefix(1);  // the opening quote
    const std::size_t close = rest_.find('"');
    if (close == std::string_view::npos) fail("the type has no closing quote");
    const std::string_view inside = rest_.substr(0, close);
    rest_.remove_prefix(close + 1);
    return inside;
  }

 private:
  std::string_view rest_;
  std::string_view path_;
  int number_;
};

std::optional<std::uint8_t> hexByte(std::string_view text) {
  std::uint8_t value = 0;
  if (text.size() != 2) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + 2, value, 16);
  if (error != std::errc() || end != text.data() + 2) return std::nullopt;
  return value;
}

std::optional<std::uint64_t> decimalSize(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The "C" locale, whose decimal separator is a point whatever the user's is.
struct CLocale {
  locale_t locale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
  CLocale() = default;
  CLocale(const CLocale&) = delete;
  CLocale& operator=(const CLocale&) = delete;
  ~CLocale() {
    if (locale != locale_t{}) ::freelocale(locale);
  }
};

// A decimal number written with a point, read the same whatever the
// locale's decimal separator: strtod under the "C" locale, which reads
// what std::from_chars does (digits, a point, an exponent, inf and nan)
// and more, so the more (leading space, hex) is turned away first.
std::optional<double> decimal(std::string_view text, const LineParser& line) {
  const bool plain = !text.empty() && std::isspace(static_cast<unsigned char>(text.front())) == 0 &&
                     text.find_first_of("xX") == std::string_view::npos;
  const CLocale c;
  if (!plain || c.locale == locale_t{}) return std::nullopt;
  const std::string number(text);
  char* end = nullptr;
  errno = 0;
  const double value = ::strtod_l(number.c_str(), &end, c.locale);
  if (end != number.c_str() + number.size()) return std::nullopt;
  if (errno == ERANGE) line.fail("'" + number + "' is out of range");
  return value;
}

std::string_view stripComment(std::string_view line) {
  bool inQuotes = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') inQuotes = !inQuotes;
    if (line[i] == '#' && !inQuotes) return line.substr(0, i);
  }
  return line;
}

// The bytes of a decimal value as the SMC would hold it for `type`.
std::vector<std::uint8_t> encode(std::string_view type, double value, const LineParser& line) {
  if (type == "flt ") {
    if (std::isfinite(value) && std::abs(value) > std::numeric_limits<float>::max()) {
      line.fail("the value does not fit the type \"flt \"");
    }
    const auto bytes = SmcService::fltBytes(static_cast<float>(value));
    return {bytes.begin(), bytes.end()};
  }
  if (type.starts_with("fp")) {
    const double scaled = std::round(value * 256.0);
    if (!(scaled >= 0 && scaled <= 65535)) line.fail("the value does not fit an fp type");
    const auto raw = static_cast<std::uint16_t>(scaled);
    return {static_cast<std::uint8_t>(raw >> 8), static_cast<std::uint8_t>(raw)};
  }
  const std::size_t width = type == "ui8 "   ? 1
                            : type == "ui16" ? 2
                            : type == "ui32" ? 4
                            : type == "ui64" ? 8
                                             : 0;
  if (width == 0) line.fail("a decimal value needs the type \"flt \", \"fp..\" or \"uiN\"");
  const double limit = std::ldexp(1.0, static_cast<int>(8 * width));
  if (!(value >= 0 && value < limit && value == std::floor(value))) {
    line.fail("the value is not a whole number that fits the type");
  }
  std::vector<std::uint8_t> bytes(width);
  auto whole = static_cast<std::uint64_t>(value);
  for (std::size_t i = width; i-- > 0; whole >>= 8) bytes[i] = static_cast<std::uint8_t>(whole);
  return bytes;
}

MachineKey parseKey(LineParser& line) {
  MachineKey key;
  key.name = std::string(line.word());
  if (key.name.size() != 4) line.fail("the key " + key.name + " is not exactly four characters");

  if (line.peek() == '!') {
    const std::string_view fault = line.word().substr(1);
    const auto result = hexByte(fault);
    if (!result)
      line.fail("expected a result byte in hex after '!', got '" + std::string(fault) + "'");
    key.infoFault = result;
    if (!line.atEnd()) line.fail("nothing may follow a key-information fault");
    return key;
  }
  if (line.peek() != '"') line.fail("expected the type in quotes after the key " + key.name);
  const std::string_view type = line.quoted();
  if (type.size() != 4)
    line.fail("the type \"" + std::string(type) + "\" is not exactly four characters");
  key.type = SMC::fourCC(type);

  std::optional<std::uint64_t> size;
  while (!line.atEnd()) {
    const std::string_view token = line.word();
    if (token == "=" || (token.starts_with('=') && token.size() > 1)) {
      const std::string_view number = token.size() > 1 ? token.substr(1) : line.word();
      const auto value = decimal(number, line);
      if (!value) line.fail("'" + std::string(number) + "' is not a decimal number");
      const auto encoded = encode(type, *value, line);
      key.bytes.insert(key.bytes.end(), encoded.begin(), encoded.end());
    } else if (token.starts_with("read!")) {
      key.readFault = hexByte(token.substr(5));
      if (!key.readFault) line.fail("expected a result byte in hex after 'read!'");
    } else if (token.starts_with("size=")) {
      size = decimalSize(token.substr(5));
      if (!size || *size > UINT32_MAX)
        line.fail("'" + std::string(token) + "' is not a valid size");
    } else if (token.starts_with("attr=")) {
      const auto attributes = hexByte(token.substr(5));
      if (!attributes) line.fail("expected an attribute byte in hex after 'attr='");
      key.attributes = *attributes;
    } else if (const auto byte = hexByte(token)) {
      key.bytes.push_back(*byte);
    } else {
      line.fail("'" + std::string(token) + "' is not a value byte in hex");
    }
  }
  if (key.bytes.size() > kMaxBytes) line.fail("more than 32 value bytes");
  key.dataSize =
      size ? static_cast<std::uint32_t>(*size) : static_cast<std::uint32_t>(key.bytes.size());
  return key;
}

}  // namespace

Machine MachineFile::parse(std::string_view text, std::string_view path) {
  Machine machine;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);

    LineParser line(stripComment(raw), path, number);
    if (line.atEnd()) continue;
    MachineKey key = parseKey(line);
    const std::uint32_t code = SMC::fourCC(key.name);
    if (machine.keys.contains(code)) line.fail("the key " + key.name + " is listed twice");
    machine.keys.emplace(code, std::move(key));
  }
  return machine;
}

Machine MachineFile::load(const std::string& path) {
  const Result<std::string> text = readRegularFile(path, MachineFile::kMaxFileSize);
  if (!text) throw MachineFileError(path + ": " + text.failure().reason);
  return parse(*text, path);
}

}  // namespace quimbo

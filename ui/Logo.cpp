#include "ui/Logo.h"

#include <array>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace quimbo::ui {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
// A logo is a small picture; anything larger is not read into memory.
constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;
constexpr std::uint32_t kMaxDimension = 1u << 14;

constexpr std::array<std::uint32_t, 256> crcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
  static constexpr auto kTable = crcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) c = kTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t bigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

std::optional<Logo> readPng(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::vector<std::uint8_t> data;
  char buffer[4096];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    data.insert(data.end(), buffer, buffer + file.gcount());
    if (data.size() > kMaxFileSize) return std::nullopt;
  }
  if (file.bad() || data.size() < kSignature.size() ||
      !std::equal(kSignature.begin(), kSignature.end(), data.begin())) {
    return std::nullopt;
  }

  // Walk the chunks: length, type, data, CRC over type and data.
  Logo logo{path};
  bool sawData = false;
  std::size_t at = kSignature.size();
  for (bool first = true;; first = false) {
    if (data.size() - at < 12) return std::nullopt;
    const std::uint32_t length = bigEndian(&data[at]);
    if (length > data.size() - at - 12) return std::nullopt;
    const std::string_view type(reinterpret_cast<const char*>(&data[at + 4]), 4);
    const std::uint8_t* body = &data[at + 8];
    if (crc32(&data[at + 4], length + 4) != bigEndian(body + length)) return std::nullopt;
    if (first) {
      if (type != "IHDR" || length != 13) return std::nullopt;
      logo.width = bigEndian(body);
      logo.height = bigEndian(body + 4);
      if (logo.width == 0 || logo.height == 0 || logo.width > kMaxDimension ||
          logo.height > kMaxDimension) {
        return std::nullopt;
      }
    }
    if (type == "IDAT") sawData = true;
    if (type == "IEND") return sawData ? std::optional<Logo>(logo) : std::nullopt;
    at += 12 + length;
  }
}

}  // namespace quimbo::ui

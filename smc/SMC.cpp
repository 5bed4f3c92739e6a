#include "smc/SMC.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quimbo {

namespace {

constexpr std::size_t kParamSize = sizeof(SMC::Param);
constexpr double kColdest = 5.0;
constexpr double kHottest = 130.0;

}  // namespace

SMC::Bytes::Bytes(const std::uint8_t* data, std::size_t count)
    : size_(std::min(count, data_.size())) {
  std::copy_n(data, size_, data_.begin());
}

bool operator==(const SMC::Bytes& a, const SMC::Bytes& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

bool SMC::open() {
  const UserClient::Service service =
      client_.getMatchingService(client_.serviceMatching(kServiceClass));
  if (service == 0) return false;
  isOpen_ = client_.serviceOpen(service, client_.ownTask(), kConnectionType, &conn_) == 0;
  client_.objectRelease(service);
  return isOpen_;
}

std::pair<UserClient::Status, SMC::Param> SMC::call(const Param& input) {
  Param output{};
  std::size_t outputSize = kParamSize;
  const UserClient::Status status =
      client_.callStructMethod(conn_, kSelector, &input, kParamSize, &output, &outputSize);
  return {status, output};
}

std::optional<SMC::Value> SMC::read(std::string_view key) {
  if (!isOpen_) return std::nullopt;

  Param infoRequest{};
  infoRequest.key = fourCC(key);
  infoRequest.command = kReadKeyInfo;
  const auto [infoStatus, info] = call(infoRequest);
  if (infoStatus != 0 || info.result != 0) return std::nullopt;

  Param bytesRequest{};
  bytesRequest.key = fourCC(key);
  bytesRequest.keyInfo = info.keyInfo;
  bytesRequest.command = kReadBytes;
  const auto [bytesStatus, value] = call(bytesRequest);
  if (bytesStatus != 0 || value.result != 0) return std::nullopt;

  // Size and type are the key-information answer's, never the second one's.
  return Value{info.keyInfo.dataType, Bytes(value.bytes.data(), info.keyInfo.dataSize)};
}

std::optional<double> SMC::number(std::string_view key) {
  const std::optional<Value> value = read(key);
  if (!value) return std::nullopt;
  TypeText type;
  return decode(typeStr(value->type, type), value->bytes);
}

std::vector<SMC::Temp> SMC::temperatures() {
  std::vector<Temp> readings;
  readings.reserve(tempKeys.size());
  for (const TempKey& row : tempKeys) {
    const std::optional<double> celsius = number(row.key);
    // NaN fails both comparisons and is dropped with the out-of-range values.
    if (celsius && *celsius > kColdest && *celsius < kHottest) {
      readings.push_back(Temp{std::string(row.key), std::string(row.label), *celsius});
    }
  }
  return readings;
}

std::uint32_t SMC::fourCC(std::string_view text) {
  std::uint32_t code = 0;
  for (const char c : text) code = (code << 8) | static_cast<std::uint8_t>(c);
  return code;
}

std::string_view SMC::typeStr(std::uint32_t code, TypeText& out) {
  std::size_t size = 0;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const auto byte = static_cast<std::uint8_t>(code >> shift);
    if (byte < 0x80) {
      out[size++] = static_cast<char>(byte);
    } else {  // U+0080..U+00FF in UTF-8
      out[size++] = static_cast<char>(0xC0 | (byte >> 6));
      out[size++] = static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return std::string_view(out.data(), size);
}

std::string SMC::typeStr(std::uint32_t code) {
  TypeText text;
  return std::string(typeStr(code, text));
}

std::optional<double> SMC::decode(std::string_view type, const Bytes& b) {
  const std::size_t n = b.size();
  if (type == "flt " && n >= 4) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | b[static_cast<std::size_t>(i)];
    return static_cast<double>(std::bit_cast<float>(bits));
  }
  if (type.starts_with("fp") && n >= 2) return (b[0] * 256.0 + b[1]) / 256.0;
  if (type.starts_with("ui")) {
    double value = 0.0;
    for (const std::uint8_t byte : b) value = value * 256.0 + byte;
    return value;
  }
  if (n == 0) return std::nullopt;
  return static_cast<double>(b[0]);
}

}  // namespace quimbo

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "smc/UserClient.h"

namespace quimbo {

// The link to the System Management Controller: one connection to the
// AppleSMC user client, the raw key read, and the decoding of key values.
class SMC final {
 public:
  // The 80-byte request/response record of the SMC user client, in host byte
  // order. The layout is fixed by the user client; offsets are pinned below.
  struct Param {
    struct Reserved1 {
      std::array<std::uint8_t, 4> block;
      std::uint16_t value;
    };
    // Filled by the key-information command; copied whole into the
    // read-bytes request.
    struct KeyInfo {
      std::uint32_t dataSize;
      std::uint32_t dataType;
      std::uint8_t dataAttributes;
      std::array<std::uint8_t, 3> padding;
    };

    std::uint32_t key;
    Reserved1 reserved1;
    std::array<std::uint8_t, 2> padding1;
    std::array<std::uint32_t, 4> reserved2;
    KeyInfo keyInfo;
    std::uint8_t result;
    std::uint8_t reserved3;
    std::uint8_t command;
    std::uint8_t padding2;
    std::uint32_t reserved4;
    std::array<std::uint8_t, 32> bytes;
  };

  static constexpr std::uint8_t kReadKeyInfo = 9;
  static constexpr std::uint8_t kReadBytes = 5;
  static constexpr std::uint32_t kSelector = 2;
  static constexpr std::uint32_t kConnectionType = 0;
  static constexpr const char* kServiceClass = "AppleSMC";

  // A key's value bytes: at most the 32 of the record, kept in place.
  class Bytes {
   public:
    Bytes() = default;
    Bytes(const std::uint8_t* data, std::size_t count);
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::uint8_t operator[](std::size_t i) const { return data_[i]; }
    const std::uint8_t* begin() const { return data_.data(); }
    const std::uint8_t* end() const { return data_.data() + size_; }
    friend bool operator==(const Bytes& a, const Bytes& b);

   private:
    std::array<std::uint8_t, 32> data_{};
    std::size_t size_ = 0;
  };

  // What `read` returns: the key's type code and its value bytes.
  struct Value {
    std::uint32_t type;
    Bytes bytes;
  };

  // One temperature reading.
  struct Temp {
    std::string key;
    std::string label;
    double celsius;
  };

  // The group whose highest reading a sensor counts toward.
  enum class Group { cpu, gpu, ssd, ambient };

  struct TempKey {
    std::string_view key;
    std::string_view label;
    Group group;
  };

  // The sensor catalogue, in the order `temperatures` reads it. Every other
  // list of sensors (the grouping of a pass, the tiles, the Linux sensor
  // mapping) is derived from this one.
  static constexpr std::array<TempKey, 11> tempKeys{{
      {"Tp01", "P-core", Group::cpu},
      {"Tp05", "P-core", Group::cpu},
      {"Tp09", "P-core", Group::cpu},
      {"Tp0D", "P-core", Group::cpu},
      {"Tp0T", "P-core", Group::cpu},
      {"Te05", "E-core", Group::cpu},
      {"Tg0f", "GPU", Group::gpu},
      {"Tg0j", "GPU", Group::gpu},
      {"TaLP", "Ortam", Group::ambient},
      {"TaRP", "Ortam", Group::ambient},
      {"Ts0S", "SSD", Group::ssd},
  }};

  // The group of a catalogue label, by exact text; none for another text.
  static constexpr std::optional<Group> groupOf(std::string_view label) {
    for (const TempKey& row : tempKeys) {
      if (row.label == label) return row.group;
    }
    return std::nullopt;
  }

  // A closed SMC over the given user client; nothing is opened yet.
  explicit SMC(UserClient& client) : client_(client) {}
  SMC(const SMC&) = delete;
  SMC& operator=(const SMC&) = delete;

  // Opens the connection; returns whether it is open now. Called again while
  // it is not open, it tries again.
  bool open();
  bool isOpen() const { return isOpen_; }

  // The key's type and value bytes, or nothing when the SMC is closed or
  // either exchange fails. Every read makes both exchanges anew.
  std::optional<Value> read(std::string_view key);

  // The key's value decoded by its type, or nothing.
  std::optional<double> number(std::string_view key);

  // The catalogue's readings strictly between 5 and 130 °C, in catalogue order.
  std::vector<Temp> temperatures();

  static std::uint32_t fourCC(std::string_view text);
  // Four characters, most significant byte first, as UTF-8 (bytes 0x80-0xFF
  // become U+0080-U+00FF; a zero byte stays as U+0000).
  static std::string typeStr(std::uint32_t code);
  // The same text, written into `out`: a pass reads a type with every key.
  using TypeText = std::array<char, 8>;
  static std::string_view typeStr(std::uint32_t code, TypeText& out);
  // Decodes value bytes by the type text.
  static std::optional<double> decode(std::string_view type, const Bytes& bytes);

 private:
  std::pair<UserClient::Status, Param> call(const Param& input);

  UserClient& client_;
  UserClient::Connection conn_ = 0;
  bool isOpen_ = false;
};

// A label stands for one group only: grouping a reading by its label is
// grouping it by its row.
static_assert([] {
  for (const SMC::TempKey& row : SMC::tempKeys) {
    if (SMC::groupOf(row.label) != row.group) return false;
  }
  return true;
}());

// The record layout is the user client's, byte for byte.
static_assert(sizeof(SMC::Param) == 80);
// No hidden padding: a zero-initialised record is zero in every byte.
static_assert(std::has_unique_object_representations_v<SMC::Param>);
static_assert(std::is_trivially_copyable_v<SMC::Param>);
static_assert(alignof(SMC::Param) == 4);
static_assert(offsetof(SMC::Param, key) == 0);
static_assert(offsetof(SMC::Param, reserved1) == 4);
static_assert(offsetof(SMC::Param, reserved1) + offsetof(SMC::Param::Reserved1, value) == 8);
static_assert(offsetof(SMC::Param, padding1) == 10);
static_assert(offsetof(SMC::Param, reserved2) == 12);
static_assert(offsetof(SMC::Param, keyInfo) == 28);
static_assert(sizeof(SMC::Param::KeyInfo) == 12);
static_assert(offsetof(SMC::Param, keyInfo) + offsetof(SMC::Param::KeyInfo, dataSize) == 28);
static_assert(offsetof(SMC::Param, keyInfo) + offsetof(SMC::Param::KeyInfo, dataType) == 32);
static_assert(offsetof(SMC::Param, keyInfo) + offsetof(SMC::Param::KeyInfo, dataAttributes) == 36);
static_assert(offsetof(SMC::Param, result) == 40);
static_assert(offsetof(SMC::Param, reserved3) == 41);
static_assert(offsetof(SMC::Param, command) == 42);
static_assert(offsetof(SMC::Param, padding2) == 43);
static_assert(offsetof(SMC::Param, reserved4) == 44);
static_assert(offsetof(SMC::Param, bytes) == 48);

}  // namespace quimbo
